// kest-update-server: the stand-in for the maker's update server, for tests, benchmarks, the
// demo and development. See README.md beside this file.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "settings/option_file.h"
#include "tools/update-server/update_server.h"

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: kest-update-server --catalogue DIR [--listen HOST:PORT] "
               "[--fault ENDPOINT=KIND[:ARG]]...\n"
               "\n"
               "Answers the update utility's requests from DIR/catalogue.json and serves the\n"
               "files beside it.\n"
               "\n"
               "  --catalogue DIR   the catalogue folder\n"
               "  --listen H:P      address to listen on (default %s; port 0: any free port)\n"
               "  --fault E=K[:A]   inject a fault into endpoint E (login, listlang, listinfo,\n"
               "                    getfile4member, getdownloadurl, getmenuconfig, downcustom,\n"
               "                    updateuser, resetPassword, resetPasswordbytrader, files, *):\n"
               "                    html404, notjson, code:N, body:TEXT, delay:MS, truncate,\n"
               "                    drop, bandwidth:BYTES_PER_S, norange. Repeatable.\n"
               "  -h, --help        this text\n",
               kest::kDefaultServerHost);
}

int g_signal_pipe[2] = {-1, -1};

void OnSignal(int) {
  char byte = 0;
  [[maybe_unused]] ssize_t n = ::write(g_signal_pipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kest::update_server;
  std::string catalogue;
  std::string listen = kest::kDefaultServerHost;
  std::vector<EndpointFault> faults;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool has_value = i + 1 < argc;
    if (arg == "-h" || arg == "--help") {
      PrintUsage(stdout);
      return 0;
    } else if (arg == "--catalogue" && has_value) {
      catalogue = argv[++i];
    } else if (arg == "--listen" && has_value) {
      listen = argv[++i];
    } else if (arg == "--fault" && has_value) {
      kest::Expected<EndpointFault> fault = ParseEndpointFault(argv[++i]);
      if (!fault) {
        std::fprintf(stderr, "kest-update-server: %s\n", fault.error().message.c_str());
        return 2;
      }
      faults.push_back(*fault);
    } else {
      std::fprintf(stderr, "kest-update-server: unexpected argument %s\n\n", arg.c_str());
      PrintUsage(stderr);
      return 2;
    }
  }
  size_t colon = listen.rfind(':');
  char* end = nullptr;
  long port = colon == std::string::npos ? -1 : std::strtol(listen.c_str() + colon + 1, &end, 10);
  if (catalogue.empty() || port < 0 || port > 65535 || !end || *end != '\0') {
    PrintUsage(stderr);
    return 2;
  }

  UpdateServer server;
  server.SetLogSink([](const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  });
  for (const EndpointFault& f : faults) server.AddFault(f.endpoint, f.fault);
  kest::Expected<int> bound =
      server.Start(catalogue, listen.substr(0, colon), static_cast<int>(port));
  if (!bound) {
    std::fprintf(stderr, "kest-update-server: %s\n", bound.error().message.c_str());
    return 1;
  }
  for (const EndpointFault& f : faults) {
    std::printf("fault: %s=%s\n", f.endpoint.c_str(), FaultText(f.fault).c_str());
  }
  std::fflush(stdout);

  // Runs until SIGINT or SIGTERM; the handler only wakes the main thread, which stops cleanly.
  if (::pipe(g_signal_pipe) != 0) return 1;
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  char byte;
  while (::read(g_signal_pipe[0], &byte, 1) < 0) {
  }
  server.Stop();
  return 0;
}
