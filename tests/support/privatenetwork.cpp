#include "privatenetwork.h"

#include <cstdio>
#include <cstdlib>
#include <net/if.h>

namespace velmora::test {

std::string privateNetworkProblem()
{
    struct if_nameindex *interfaces = if_nameindex();
    if (interfaces == nullptr) {
        return "cannot list the network interfaces";
    }
    std::string others;
    bool hasLoopback = false;
    for (const struct if_nameindex *it = interfaces; it->if_index != 0; ++it) {
        const std::string name = it->if_name;
        if (name == "lo") {
            hasLoopback = true;
        } else {
            others += (others.empty() ? "" : ", ") + name;
        }
    }
    if_freenameindex(interfaces);
    if (!others.empty()) {
        return "network interfaces besides lo exist (" + others + ")";
    }
    if (!hasLoopback) {
        return "no loopback interface";
    }
    return {};
}

void requirePrivateNetwork()
{
    const std::string problem = privateNetworkProblem();
    if (problem.empty()) {
        return;
    }
    std::fprintf(stderr,
                 "FATAL: this test opens sockets and must run inside the private network "
                 "namespace (scripts/sandbox), but %s.\n",
                 problem.c_str());
    std::exit(2);
}

} // namespace velmora::test
