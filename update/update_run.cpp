#include "update/update_run.h"

#include <unistd.h>

#include "app/kest_helper_app.h"
#include "catalogue/card_layout.h"
#include "catalogue/card_path.h"
#include "catalogue/kest_product.h"
#include "install/card_folder.h"
#include "install/folder_tree.h"
#include "install/package_install.h"
#include "platform/temp_files.h"
#include "platform/text.h"
#include "platform/work_control.h"
#include "settings/package_languages.h"
#include "update/run_requests.h"
#include "update/staged_file.h"
#include "update/staging_folder.h"
#include "update/update_log.h"

namespace kest {
namespace {

bool MatchesRow(const std::string& name, const std::string& path,
                const std::vector<std::string>& texts, const GridRow& cells) {
  if (!EqualsIgnoreCase(name, cells.name) || !EqualsIgnoreCase(path, cells.path)) return false;
  for (const std::string& text : texts) {
    if (EqualsIgnoreCase(text, cells.versionText)) return true;
  }
  return false;
}

// The staged folder `name` ("CarDB", "sys") however the package spells it; the spelling asked
// for when the package brought none.
std::string StagedFolder(const std::string& name) {
  std::string staging = StagingFolder();
  std::optional<std::string> spelled = FindEntryIgnoringCase(staging, name, EntryKind::kFolder);
  return JoinPath(staging, spelled.value_or(name));
}

// The card's folder `name` below its root, however the card spells it.
std::string CardSubfolder(const std::string& root, const std::string& name) {
  return JoinPath(root, FindEntryIgnoringCase(root, name, EntryKind::kFolder).value_or(name));
}

}  // namespace

void UpdateRun::Run() {
  card_ = CardFolder();
  serial_ = TheApp().session.currentSerial;
  region_ = TheApp().session.region;
  total_ = static_cast<int>(catalogue_.cars.size() + catalogue_.proItems.size());

  if (card_.size() <= 2) {
    // Nothing to install into. The front end is busy since it started the run: tell the user
    // why nothing happened, and release it as the end of a run does.
    Report([&] { reporter_.ShowClosingMessage(ClosingMessage::kCardFolderNotSet); });
    Report([&] { reporter_.RowsDone(total_, total_); });
    Report([&] { reporter_.WorkerEnded(); });
    Report([&] { reporter_.WorkFinished(); });
    return;
  }

  Report([&] { reporter_.WorkStarted(); });
  DeleteStagedTree(StagingFolder());
  Report([&] { reporter_.Progress(0); });

  int done = 0;
  for (int row = 1; row <= total_; ++row) {
    if (StopFlag() != 0) break;
    current_row_.store(row);
    WorkGate().Pass();
    if (std::optional<GridRow> cells = rows_.ReadRow(row)) HandleRow(row, *cells, done);
    done = row;
  }

  DeleteStagedTree(StagingFolder());
  ClosingMessage closing = failed_ ? ClosingMessage::kPleaseRetry : ClosingMessage::kCompleted;
  Report([&] { reporter_.ShowClosingMessage(closing); });
  Report([&] { reporter_.RowsDone(total_, total_); });
  Report([&] { reporter_.WorkerEnded(); });
  Report([&] { reporter_.WorkFinished(); });
}

void UpdateRun::HandleRow(int row, const GridRow& cells, int done) {
  if (!cells.hasCheckBox || !cells.ticked) return;
  std::string label = ChosenVersionLabel(cells.versionText);
  if (CKestCar* car = FindCar(cells)) {
    RunCarRow(row, *car, label, done);
  } else if (CKestProItem* item = FindItem(cells)) {
    RunItemRow(row, *item, label, done);
  }
  // A row that matches no record (the grid and the catalogue disagree) is skipped.
}

CKestCar* UpdateRun::FindCar(const GridRow& cells) {
  std::vector<std::string> texts;
  for (CKestCar& car : catalogue_.cars) {
    car.ListVersionTexts(texts);
    if (MatchesRow(car.carKindName, car.path, texts, cells)) return &car;
  }
  return nullptr;
}

CKestProItem* UpdateRun::FindItem(const GridRow& cells) {
  std::vector<std::string> texts;
  for (CKestProItem& item : catalogue_.proItems) {
    item.ListVersionTexts(texts);
    if (MatchesRow(item.name, item.pathText, texts, cells)) return &item;
  }
  return nullptr;
}

void UpdateRun::SetStatus(int row, RowStatus status) {
  if (IsFailure(status)) failed_.store(true);
  Report([&] { reporter_.RowStatusChanged(row, status); });
}

void UpdateRun::EndRow(int row, RowStatus outcome, int done, const std::string& archive) {
  SetStatus(row, outcome);
  Report([&] { reporter_.RowsDone(done, total_); });
  if (!archive.empty()) ::unlink(archive.c_str());
  DeleteStagedTree(StagingFolder());
}

void UpdateRun::RunCarRow(int row, CKestCar& car, const std::string& label, int done) {
  const std::string archive = platform::CreateUniqueTempFile(platform::TempFolder(), "subcar");
  SetStatus(row, RowStatus::kDownloading);
  if (car.IsVersionInstalled(label)) {
    EndRow(row, RowStatus::kCompleted, done, archive);
    return;
  }
  bool installed = false;
  for (int attempt = 0; attempt < kCarKindAttempts && !installed; ++attempt) {
    // Retrying after a stop would download the package again for nothing.
    if (attempt > 0 && StopFlag() != 0) break;
    if (!car.DownloadVersion(label, archive)) {
      if (!archive.empty()) ::unlink(archive.c_str());
      SetStatus(row, StopFlag() != 0 ? RowStatus::kDownloadAborted : RowStatus::kDownloadFailed);
      return;
    }
    SetStatus(row, RowStatus::kInstalling);
    installed = InstallCarAttempt(row, car, label, archive);
    if (!installed) {
      ::unlink(archive.c_str());
      DeleteStagedTree(StagedFolder("CarDB"));
    }
  }
  SetStatus(row, RowStatus::kInstalling);
  RowStatus outcome = installed            ? RowStatus::kCompleted
                      : StopFlag() != 0    ? RowStatus::kInstallAborted
                                           : RowStatus::kInstallFailed;
  EndRow(row, outcome, done, archive);
}

bool UpdateRun::InstallCarAttempt(int row, CKestCar& car, const std::string& label,
                                  const std::string& archive) {
  if (Install7Z(archive, StagingFolder()) != 1) return false;
  const std::string staged = StagedFolder("CarDB");
  SetFolderSizeTotal(0);
  const uint64_t pending = GetFolderSize(staged);
  pending_bytes_.store(pending);
  if (!RoomToInstall(GetCardFreeSpace(), pending)) {
    WorkGate().Close();
    reporter_.CardFull(row, pending);
    WorkGate().Pass();
    if (StopFlag() != 0) return false;  // stopped instead of resumed: nothing is copied
  }
  SetStatus(row, RowStatus::kInstalling);
  const std::string destination = CardSubfolder(card_, "CarDB");
  AlignNamesToCard(staged, destination);
  // A copy cut short (a full card) leaves no partial file, but the version is incomplete.
  bool copied = CopyFolderTree(staged, destination);
  car.MarkVersion(label, 1);
  if (copied && car.IsVersionInstalled(label)) {
    DeleteStagedTree(staged);
    return true;
  }
  car.MarkVersion(label, 0);
  return false;
}

void UpdateRun::RunItemRow(int row, CKestProItem& item, const std::string& label, int done) {
  CreateFolderPath(StagingFolder());
  const std::string archive = platform::CreateUniqueTempFile(platform::TempFolder(), "subcar");
  SetStatus(row, RowStatus::kDownloading);
  if (item.IsVersionInstalled(label)) {
    EndRow(row, RowStatus::kCompleted, done, archive);
    return;
  }
  if (!item.DownloadVersion(label, archive)) {
    if (!archive.empty()) ::unlink(archive.c_str());
    SetStatus(row, StopFlag() != 0 ? RowStatus::kDownloadAborted : RowStatus::kDownloadFailed);
    return;
  }
  SetStatus(row, RowStatus::kInstalling);
  RowStatus outcome;
  if (Install7Z(archive, StagingFolder()) != 1) {
    outcome = StopFlag() != 0 ? RowStatus::kInstallAborted : RowStatus::kInstallFailed;
  } else {
    outcome = CompleteItem(item, label) ? RowStatus::kCompleted : RowStatus::kInstallFailed;
  }
  EndRow(row, outcome, done, archive);
}

bool UpdateRun::CompleteItem(CKestProItem& item, const std::string& label) {
  item.MarkVersion(label, 1);
  if (!item.IsVersionInstalled(label)) {
    item.MarkVersion(label, 0);
    return false;
  }
  const std::string staging = StagingFolder();
  const std::string sys = StagedFolder("sys");
  if (IsRealFolder(sys)) {
    // Written by name as well: a link from the package must not redirect them.
    PrepareStagedFile(sys, {"lang.dat"});
    PrepareStagedFile(sys, {"lang"});
    WriteCardLanguageFiles(sys + "/", ToUpperAscii(inputs_.languageCode));
  }
  bool menu = FetchMenuConfig(region_, lastProductInfoID.load(),
                              ToLowerAscii(inputs_.languageCode));
  FetchCustomFiles(serial_, region_);
  // The log is written by name: make sure no link from the package stands there.
  PrepareStagedFile(staging.substr(0, staging.size() - 1), {"update.log"});
  WriteUpdateLog();
  AlignNamesToCard(staging, card_);
  bool copied = CopyFolderTree(staging, card_);
  if (menu && copied) return true;
  item.MarkVersion(label, 0);
  return false;
}

}  // namespace kest
