#include "tools/update-server/update_server.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/text.h"
#include "server/json_read.h"

namespace kest::update_server {
namespace {

constexpr size_t kChunkBytes = 64 * 1024;
constexpr int kBandwidthTicksPerSecond = 20;
constexpr size_t kMaxRecords = 100000;

const char kHtml404[] =
    "<!DOCTYPE html>\n<html><head><title>404 Not Found</title></head>\n"
    "<body><h1>Not Found</h1><p>The requested URL was not found on this server.</p></body>"
    "</html>\n";
const char kNotJson[] = "Service temporarily unavailable, please try again later.\n";

bool Has(const std::vector<Fault>& faults, FaultKind kind, Fault* found = nullptr) {
  for (const Fault& f : faults) {
    if (f.kind == kind) {
      if (found) *found = f;
      return true;
    }
  }
  return false;
}

// Closes the connection a request came on, without an answer. The library hands handlers no
// socket, so find ours among the process's descriptors by the two ends' ports.
void DropConnection(const httplib::Request& req) {
  DIR* dir = ::opendir("/proc/self/fd");
  if (!dir) return;
  while (dirent* entry = ::readdir(dir)) {
    int fd = std::atoi(entry->d_name);
    if (fd <= 2 || fd == ::dirfd(dir)) continue;
    sockaddr_storage local{}, peer{};
    socklen_t local_len = sizeof local, peer_len = sizeof peer;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &local_len) != 0 ||
        ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peer_len) != 0) {
      continue;
    }
    auto port_of = [](const sockaddr_storage& a) {
      if (a.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(a).sin_port);
      if (a.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6&>(a).sin6_port);
      }
      return uint16_t{0};
    };
    if (port_of(local) == req.local_port && port_of(peer) == req.remote_port) {
      ::shutdown(fd, SHUT_RDWR);
      break;
    }
  }
  ::closedir(dir);
}

// The query as logged: passwords never reach the log.
std::string MaskedTarget(const std::string& target) {
  std::string out = target;
  for (const char* key : {"password=", "oldPassword="}) {
    size_t at = 0;
    while ((at = out.find(key, at)) != std::string::npos) {
      if (at > 0 && out[at - 1] != '?' && out[at - 1] != '&') {
        at += 1;
        continue;
      }
      size_t start = at + std::string_view(key).size();
      size_t end = out.find('&', start);
      out.replace(start, (end == std::string::npos ? out.size() : end) - start, "***");
      at = start;
    }
  }
  return out;
}

std::string Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&t, &tm);
  char text[16];
  std::strftime(text, sizeof text, "%H:%M:%S", &tm);
  return text;
}

}  // namespace

UpdateServer::UpdateServer() = default;
UpdateServer::~UpdateServer() { Stop(); }

Expected<int> UpdateServer::Start(const std::string& catalogue_folder, const std::string& host,
                                  int port) {
  if (server_) return Error{0, "the server is already running"};
  std::string warnings;
  if (Status loaded = catalogue_.Load(catalogue_folder, &warnings); !loaded) {
    return loaded.error();
  }
  size_t start = 0;
  while (start < warnings.size()) {
    size_t end = warnings.find('\n', start);
    Log("warning: " + warnings.substr(start, end - start));
    start = end + 1;
  }
  // A client that hangs up mid-transfer must not end the process.
  std::signal(SIGPIPE, SIG_IGN);

  auto server = std::make_unique<httplib::Server>();
  server->Get(R"(/autodown/([A-Za-z0-9]+))",
              [this](const httplib::Request& req, httplib::Response& res) {
                Handle(req, res, req.matches[1].str());
              });
  server->Get(R"(/files/(.+))", [this](const httplib::Request& req, httplib::Response& res) {
    Handle(req, res, "files");
  });
  server->set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (res.body.empty() && !res.content_provider_) res.set_content(kHtml404, "text/html");
  });
  server->set_logger([this](const httplib::Request& req, const httplib::Response& res) {
    Log(req.remote_addr + " " + req.method + " " + MaskedTarget(req.target) + " -> " +
        std::to_string(res.status));
  });

  int bound = port == 0 ? server->bind_to_any_port(host)
                        : (server->bind_to_port(host, port) ? port : -1);
  if (bound <= 0) return Error{0, "cannot listen on " + host + ":" + std::to_string(port)};
  {
    std::lock_guard lock(mutex_);
    stopping_ = false;
  }
  httplib::Server* raw = server.get();
  thread_ = std::thread([raw] { raw->listen_after_bind(); });
  // stop() before the accept loop runs is lost and join() would hang: wait until it runs.
  for (int i = 0; i < 10000 && !raw->is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  server_ = std::move(server);
  host_ = host;
  port_ = bound;
  Log("listening on " + BaseUrl() + ", catalogue " + catalogue_folder);
  return bound;
}

void UpdateServer::Stop() {
  if (!server_) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stopping_changed_.notify_all();
  server_->stop();
  if (thread_.joinable()) thread_.join();
  server_.reset();
}

std::string UpdateServer::BaseUrl() const {
  return "http://" + host_ + ":" + std::to_string(port_);
}

void UpdateServer::SetFault(const std::string& endpoint, const Fault& fault) {
  std::lock_guard lock(mutex_);
  faults_[endpoint] = {fault};
}

void UpdateServer::AddFault(const std::string& endpoint, const Fault& fault) {
  std::lock_guard lock(mutex_);
  faults_[endpoint].push_back(fault);
}

void UpdateServer::ClearFaults() {
  std::lock_guard lock(mutex_);
  faults_.clear();
}

void UpdateServer::SetLogSink(std::function<void(const std::string&)> sink) {
  std::lock_guard lock(mutex_);
  log_ = std::move(sink);
}

std::vector<RequestRecord> UpdateServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

size_t UpdateServer::RequestCount(std::string_view endpoint) const {
  std::lock_guard lock(mutex_);
  return static_cast<size_t>(std::count_if(requests_.begin(), requests_.end(),
                                           [&](const auto& r) { return r.endpoint == endpoint; }));
}

size_t UpdateServer::BrokenTransfers() const {
  std::lock_guard lock(mutex_);
  return broken_transfers_;
}

void UpdateServer::ClearRequests() {
  std::lock_guard lock(mutex_);
  requests_.clear();
}

std::vector<Fault> UpdateServer::FaultsFor(const std::string& endpoint) const {
  std::lock_guard lock(mutex_);
  std::vector<Fault> faults;
  for (const std::string& key : {endpoint, std::string("*")}) {
    auto it = faults_.find(key);
    if (it != faults_.end()) faults.insert(faults.end(), it->second.begin(), it->second.end());
  }
  return faults;
}

bool UpdateServer::SleepUnlessStopping(long milliseconds) {
  std::unique_lock lock(mutex_);
  return !stopping_changed_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                     [this] { return stopping_; });
}

void UpdateServer::Log(const std::string& line) {
  std::function<void(const std::string&)> sink;
  {
    std::lock_guard lock(mutex_);
    sink = log_;
  }
  if (sink) sink(Now() + " " + line);
}

void UpdateServer::Handle(const httplib::Request& req, httplib::Response& res,
                          const std::string& endpoint) {
  {
    std::lock_guard lock(mutex_);
    if (requests_.size() >= kMaxRecords) requests_.clear();
    requests_.push_back({endpoint, req.target, req.get_header_value("Range"),
                         req.get_header_value("User-Agent"), req.get_header_value("Accept")});
  }
  std::vector<Fault> faults = FaultsFor(endpoint);
  Fault fault;
  if (Has(faults, FaultKind::kDrop)) {
    DropConnection(req);
    std::lock_guard lock(mutex_);
    ++broken_transfers_;
    return;
  }
  if (Has(faults, FaultKind::kDelay, &fault) && !SleepUnlessStopping(fault.arg)) return;
  if (Has(faults, FaultKind::kNoRange)) {
    // Stands in for a server that does not do ranges: the library would otherwise answer a
    // Range request with 206 on its own.
    const_cast<httplib::Request&>(req).ranges.clear();
  }

  const std::string json_type = "application/json; charset=utf-8";
  auto text = [](std::string s) { return std::make_shared<const std::string>(std::move(s)); };
  if (Has(faults, FaultKind::kHtml404)) {
    Send(req, res, 404, "text/html", text(kHtml404), -1, 0, faults);
    return;
  }
  if (Has(faults, FaultKind::kNotJson)) {
    Send(req, res, 200, "text/plain", text(kNotJson), -1, 0, faults);
    return;
  }
  if (Has(faults, FaultKind::kBody, &fault)) {
    Send(req, res, 200, json_type, text(fault.text), -1, 0, faults);
    return;
  }
  if (Has(faults, FaultKind::kCode, &fault) && endpoint != "files") {
    Json::Value answer(Json::objectValue);
    answer[endpoint == "listlang" ? "reader" : "code"] = static_cast<int>(fault.arg);
    Send(req, res, 200, json_type, text(json::Write(answer)), -1, 0, faults);
    return;
  }

  if (endpoint == "files") {
    std::string path = catalogue_.ServedFile(req.matches[1].str());
    int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      if (fd >= 0) ::close(fd);
      Send(req, res, 404, "text/html", text(kHtml404), -1, 0, faults);
      return;
    }
    Send(req, res, 200, "application/octet-stream", nullptr, fd, static_cast<size_t>(st.st_size),
         faults);
    return;
  }
  std::string host = req.get_header_value("Host");
  std::string base = "http://" + (host.empty() ? req.local_addr + ":" +
                                                     std::to_string(req.local_port)
                                               : host);
  Json::Value answer = catalogue_.Answer(endpoint, req.params, base);
  if (answer.isNull()) {
    Send(req, res, 404, "text/html", text(kHtml404), -1, 0, faults);
    return;
  }
  Send(req, res, 200, json_type, text(json::Write(answer)), -1, 0, faults);
}

void UpdateServer::Send(const httplib::Request&, httplib::Response& res, int status,
                        const std::string& type, std::shared_ptr<const std::string> body,
                        int fd, size_t size, const std::vector<Fault>& faults) {
  // A 200 is left to the library, which makes it a 206 when it answers a Range request.
  if (status != 200) res.status = status;
  if (body) size = body->size();
  if (size == 0) {
    if (fd >= 0) ::close(fd);
    res.set_content("", type);
    return;
  }
  struct State {
    std::shared_ptr<const std::string> body;
    int fd = -1;
    long bytes_per_second = 0;
    bool truncate = false;
    bool started = false;
    size_t sent = 0;
    size_t truncate_at = 0;
    std::vector<char> buffer;
    ~State() {
      if (fd >= 0) ::close(fd);
    }
  };
  auto state = std::make_shared<State>();
  state->body = std::move(body);
  state->fd = fd;
  Fault fault;
  if (Has(faults, FaultKind::kBandwidth, &fault)) state->bytes_per_second = fault.arg;
  state->truncate = Has(faults, FaultKind::kTruncate);
  if (fd >= 0) state->buffer.resize(kChunkBytes);

  res.set_content_provider(
      size, type,
      [this, state](size_t offset, size_t length, httplib::DataSink& sink) {
        State& s = *state;
        if (!s.started) {
          s.started = true;
          s.truncate_at = length / 2;  // of what this answer sends (a range, or everything)
        }
        size_t chunk = std::min(length, kChunkBytes);
        if (s.bytes_per_second > 0) {
          chunk = std::min(chunk, std::max<size_t>(1, static_cast<size_t>(s.bytes_per_second) /
                                                          kBandwidthTicksPerSecond));
        }
        if (s.truncate) {
          if (s.sent >= s.truncate_at) return false;  // the library then closes the connection
          chunk = std::min(chunk, s.truncate_at - s.sent);
        }
        const char* data = nullptr;
        if (s.body) {
          data = s.body->data() + offset;
        } else {
          ssize_t n = ::pread(s.fd, s.buffer.data(), chunk, static_cast<off_t>(offset));
          if (n <= 0) return false;  // the file shrank under us: end the answer short
          chunk = static_cast<size_t>(n);
          data = s.buffer.data();
        }
        if (!sink.write(data, chunk)) return false;
        s.sent += chunk;
        if (s.bytes_per_second > 0 &&
            !SleepUnlessStopping(1000 / kBandwidthTicksPerSecond)) {
          return false;
        }
        return true;
      },
      [this](bool success) {
        if (success) return;
        std::lock_guard lock(mutex_);
        ++broken_transfers_;
      });
}

}  // namespace kest::update_server
