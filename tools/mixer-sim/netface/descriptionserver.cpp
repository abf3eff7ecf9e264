#include "descriptionserver.h"

namespace velmora::sim {

std::string descriptionReply(const MixerIdentity &identity, const std::string &path)
{
    if (path != DescriptionPath) {
        return "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    }
    const std::string body = descriptionDocument(identity);
    return "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=\"utf-8\"\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

bool DescriptionServer::start()
{
    return m_service.start(m_identity.address, m_identity.httpPort,
                           [this](int fd, const std::atomic<bool> &stop) { serve(fd, stop); });
}

void DescriptionServer::serve(int fd, const std::atomic<bool> &stop)
{
    std::string request;
    while (!stop && request.find("\r\n\r\n") == std::string::npos && request.size() < 8192) {
        if (receiveSome(fd, request, 100) < 0) {
            return;
        }
    }
    const size_t space = request.find(' ');
    const size_t end = request.find(' ', space + 1);
    if (request.rfind("GET ", 0) != 0 || end == std::string::npos) {
        sendAll(fd, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\n\r\n");
        return;
    }
    sendAll(fd, descriptionReply(m_identity, request.substr(space + 1, end - space - 1)));
    // Let the client close first, so the closed connection's wait state stays on its side and
    // the mixer can listen on its port again at once after a restart.
    std::string rest;
    for (int i = 0; i < 10 && !stop && rest.size() < 8192; ++i) {
        if (receiveSome(fd, rest, 100) < 0) {
            break;
        }
    }
}

} // namespace velmora::sim
