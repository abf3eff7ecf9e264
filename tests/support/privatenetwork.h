#pragma once

#include <string>

// Network tests run only inside the project's private network namespace, where `lo` is the
// only interface and nothing can leave the machine.
namespace velmora::test {

// Empty when the process runs in such a namespace; otherwise the reason it does not.
std::string privateNetworkProblem();

// Aborts the process with a clear message outside the private network. Plain C++ so that the
// device library's tests use it too.
void requirePrivateNetwork();

} // namespace velmora::test
