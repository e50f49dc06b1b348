#pragma once
// The stand-in update server inside the test process, on a free port of 127.0.0.1, with the
// program's base URL pointed at it for the fixture's lifetime.
//
//   kest::test::TempDir dir;
//   kest::test::CopyExampleCatalogue(dir.path());          // or WriteFile(dir / "catalogue.json")
//   kest::test::UpdateServerFixture server(dir.path());
//   server.SetFault("login", "code:4000");                 // faults as on the command line
//   ... ServerGet / Login / the engines now talk to it ...
//   EXPECT_EQ(server.server().RequestCount("login"), 1u);
//
// The example catalogue (tools/update-server/example, described in its README) has the members
// workshop1/secret01 (memberID 1001, serials KS0100001 and KS0100002) and dealer01/dealer01pw
// (memberID 2001, identity 2), languages EN (langID "1") and DE ("2"), car kinds Audi and BMW,
// product items ecudata and system (productInfoID 7, menu configurations en and de).

#include <string>

#include "tools/update-server/update_server.h"

namespace kest::test {

// Copies the example catalogue with its packages into `folder` (which may exist).
void CopyExampleCatalogue(const std::string& folder);

class UpdateServerFixture final {
 public:
  // Starts the server on the catalogue folder; throws (failing the test) when it cannot.
  explicit UpdateServerFixture(const std::string& catalogue_folder);
  ~UpdateServerFixture();  // stops the server and forgets the overridden base URL
  UpdateServerFixture(const UpdateServerFixture&) = delete;
  UpdateServerFixture& operator=(const UpdateServerFixture&) = delete;

  update_server::UpdateServer& server() { return server_; }
  std::string url() const { return server_.BaseUrl(); }  // "http://127.0.0.1:PORT"
  int port() const { return server_.port(); }

  // "KIND[:ARG]" as --fault takes it ("html404", "code:4000", "delay:5000", ...); replaces the
  // endpoint's faults. Throws on a fault it does not know.
  void SetFault(const std::string& endpoint, const std::string& fault);
  void ClearFaults() { server_.ClearFaults(); }

 private:
  update_server::UpdateServer server_;
};

}  // namespace kest::test
