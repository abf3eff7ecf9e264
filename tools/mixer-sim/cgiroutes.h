#pragma once

namespace velmora::sim {

class SimHttpServer;
class SimMixer;

// The mixer's CGI pages and data-set files on its HTTP server.
void addCgiRoutes(SimHttpServer &server, SimMixer &mixer);

} // namespace velmora::sim
