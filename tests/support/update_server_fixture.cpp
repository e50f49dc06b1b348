#include "tests/support/update_server_fixture.h"

#include <filesystem>
#include <stdexcept>

#include "settings/option_file.h"

namespace kest::test {

void CopyExampleCatalogue(const std::string& folder) {
  namespace fs = std::filesystem;
  fs::create_directories(folder);
  fs::copy(fs::path(KEST_SOURCE_DIR) / "tools/update-server/example", folder,
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

UpdateServerFixture::UpdateServerFixture(const std::string& catalogue_folder) {
  Expected<int> port = server_.Start(catalogue_folder, "127.0.0.1", 0);
  if (!port) throw std::runtime_error("update server: " + port.error().message);
  OverrideServerUrl(server_.BaseUrl());
}

UpdateServerFixture::~UpdateServerFixture() {
  server_.Stop();
  OverrideServerUrl("");
}

void UpdateServerFixture::SetFault(const std::string& endpoint, const std::string& fault) {
  Expected<update_server::Fault> parsed = update_server::ParseFault(fault);
  if (!parsed) throw std::runtime_error(parsed.error().message);
  server_.SetFault(endpoint, *parsed);
}

}  // namespace kest::test
