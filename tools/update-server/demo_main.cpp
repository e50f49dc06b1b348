// kest-demo-catalogue: writes the demo catalogue (demo_catalogue.h) for kest-update-server, and
// optionally a demo card holding some older versions.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/desktop_folder.h"
#include "platform/text.h"
#include "tools/update-server/demo_catalogue.h"

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: kest-demo-catalogue FOLDER [--kinds N] [--versions N] [--size BYTES]\n"
               "                           [--languages EN,DE] [--no-products]\n"
               "                           [--card DIR | --desktop-card]\n"
               "\n"
               "Writes a catalogue for kest-update-server into FOLDER: car kinds with several\n"
               "versions, system programs (one of them a package container), menu\n"
               "configurations and custom files, packed with 7za.\n"
               "\n"
               "  --kinds N         car kinds (default 6)\n"
               "  --versions N      versions per car kind, 1 to 9 (default 3)\n"
               "  --size BYTES      data file size per car kind package; K, M, G suffixes\n"
               "                    (default 16K)\n"
               "  --languages L,..  package languages among EN, DE, FR (default EN,DE)\n"
               "  --no-products     car kinds only\n"
               "  --card DIR        also make a card in DIR holding some older versions\n"
               "  --desktop-card    the same in \"<desktop>/KEST demo card\"; prints its path\n");
}

bool ParseSize(const std::string& text, uint64_t* bytes) {
  char* end = nullptr;
  unsigned long long value = std::strtoull(text.c_str(), &end, 10);
  if (end == text.c_str()) return false;
  std::string suffix = kest::ToUpperAscii(end);
  int shift = suffix.empty() ? 0 : suffix == "K" ? 10 : suffix == "M" ? 20 : suffix == "G" ? 30
                                                                                          : -1;
  if (shift < 0) return false;
  *bytes = static_cast<uint64_t>(value) << shift;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kest::demo;
  DemoOptions options;
  std::string folder, card;
  bool desktop_card = false;
  const DemoLanguage known[] = {{"1", "EN", "English"}, {"2", "DE", "Deutsch"},
                                {"3", "FR", "Français"}};
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool has_value = i + 1 < argc;
    if (arg == "-h" || arg == "--help") {
      PrintUsage(stdout);
      return 0;
    } else if (arg == "--kinds" && has_value) {
      options.carKinds = std::atoi(argv[++i]);
    } else if (arg == "--versions" && has_value) {
      options.versionsPerKind = std::atoi(argv[++i]);
    } else if (arg == "--size" && has_value) {
      if (!ParseSize(argv[++i], &options.dataBytes)) {
        std::fprintf(stderr, "kest-demo-catalogue: bad size %s\n", argv[i]);
        return 2;
      }
    } else if (arg == "--languages" && has_value) {
      options.languages.clear();
      std::string list = std::string(argv[++i]) + ",";
      for (size_t start = 0, comma; (comma = list.find(',', start)) != std::string::npos;
           start = comma + 1) {
        std::string code = kest::ToUpperAscii(list.substr(start, comma - start));
        bool found = false;
        for (const DemoLanguage& l : known) {
          if (l.name == code) {
            options.languages.push_back(l);
            found = true;
          }
        }
        if (!found) {
          std::fprintf(stderr, "kest-demo-catalogue: unknown language %s\n", code.c_str());
          return 2;
        }
      }
    } else if (arg == "--no-products") {
      options.productItems = false;
    } else if (arg == "--card" && has_value) {
      card = argv[++i];
    } else if (arg == "--desktop-card") {
      desktop_card = true;
    } else if (folder.empty() && !arg.empty() && arg[0] != '-') {
      folder = arg;
    } else {
      PrintUsage(stderr);
      return 2;
    }
  }
  if (folder.empty() || options.carKinds < 0 || options.versionsPerKind < 1 ||
      options.versionsPerKind > 9 || options.languages.empty()) {
    PrintUsage(stderr);
    return 2;
  }
  if (desktop_card) {
    std::string desktop = kest::platform::DesktopFolder();
    if (desktop.empty()) {
      std::fprintf(stderr, "kest-demo-catalogue: no desktop folder (HOME is not set)\n");
      return 1;
    }
    card = desktop + "/KEST demo card";
  }

  if (kest::Status made = MakeDemoCatalogue(folder, options); !made) {
    std::fprintf(stderr, "kest-demo-catalogue: %s\n", made.error().message.c_str());
    return 1;
  }
  if (!card.empty()) {
    if (kest::Status made = MakeDemoCard(card, options); !made) {
      std::fprintf(stderr, "kest-demo-catalogue: %s\n", made.error().message.c_str());
      return 1;
    }
    if (desktop_card) std::printf("%s\n", card.c_str());
  }
  return 0;
}
