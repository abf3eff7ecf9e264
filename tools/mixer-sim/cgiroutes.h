#pragma once

namespace httplib {
class Server;
}

namespace velmora::sim {

class SimMixer;

// The mixer's CGI pages under /cgi-bin/appcmd/ and its file fetches under /file/.
void addCgiRoutes(httplib::Server &server, SimMixer &mixer);

} // namespace velmora::sim
