#pragma once
// The stand-in update server: answers every "/autodown/" request from a catalogue folder and
// serves the files its answers point to ("/files/<path>", with Content-Length and Range, read
// in chunks so that a file of any size costs the same memory). Runs inside a test process or
// as the program kest-update-server.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/expected.h"
#include "tools/update-server/catalogue.h"
#include "tools/update-server/fault.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace kest::update_server {

// One request as it arrived.
struct RequestRecord {
  std::string endpoint;  // "login", ..., "files", or "" for anything else
  std::string target;    // path and raw query, as sent
  std::string range;     // the Range header, empty when none
  std::string user_agent;
  std::string accept;
};

class UpdateServer final {
 public:
  UpdateServer();
  ~UpdateServer();
  UpdateServer(const UpdateServer&) = delete;
  UpdateServer& operator=(const UpdateServer&) = delete;

  // Loads folder/catalogue.json and listens on host:port (port 0: any free port). Returns the
  // bound port once the server accepts connections.
  Expected<int> Start(const std::string& catalogue_folder, const std::string& host = "127.0.0.1",
                      int port = 0);
  // Ends waits and slow transfers in progress, closes the port and joins the server's threads.
  void Stop();
  bool running() const { return server_ != nullptr; }
  int port() const { return port_; }
  std::string BaseUrl() const;  // "http://host:port"

  // Faults per endpoint name ("login", "listlang", ..., "files", or "*" for every request).
  // Several faults on one endpoint combine (a delay, then a slow cut-off body).
  void SetFault(const std::string& endpoint, const Fault& fault);  // replaces
  void AddFault(const std::string& endpoint, const Fault& fault);
  void ClearFaults();

  // One line per request (and the start-up warnings) go to the sink; none by default.
  void SetLogSink(std::function<void(const std::string&)> sink);

  std::vector<RequestRecord> Requests() const;
  size_t RequestCount(std::string_view endpoint) const;
  void ClearRequests();
  // Answers whose body could not be sent completely (the client went away, or a truncate or
  // drop fault): a test waits on it to know that a client has given up its connection.
  size_t BrokenTransfers() const;

  Catalogue& catalogue() { return catalogue_; }

 private:
  void Handle(const httplib::Request& req, httplib::Response& res, const std::string& endpoint);
  void Send(const httplib::Request& req, httplib::Response& res, int status,
            const std::string& type, std::shared_ptr<const std::string> body, int fd, size_t size,
            const std::vector<Fault>& faults);
  std::vector<Fault> FaultsFor(const std::string& endpoint) const;
  bool SleepUnlessStopping(long milliseconds);
  void Log(const std::string& line);

  Catalogue catalogue_;
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  std::string host_;
  int port_ = 0;

  mutable std::mutex mutex_;  // guards everything below
  std::condition_variable stopping_changed_;
  bool stopping_ = false;
  std::map<std::string, std::vector<Fault>> faults_;
  std::function<void(const std::string&)> log_;
  std::vector<RequestRecord> requests_;
  size_t broken_transfers_ = 0;
};

}  // namespace kest::update_server
