#include "package/medium_check.h"

#include <exception>
#include <random>

#include "messages/msg_text.h"
#include "messages/zerror.h"
#include "package/folder_tables.h"
#include "package/install_package.h"
#include "package/lzma_volume.h"
#include "package/manifest_check.h"
#include "package/manifest_line.h"
#include "package/volume_pipeline.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "store/record_format.h"
#include "store/scramble.h"
#include "store/sfile.h"
#include "store/wfile.h"
#include "store/wrec.h"

namespace tlx::package {
namespace {

constexpr char kWorkFolderPrefix[] = "\\TlxVerify-";

// The text of whatever a step of the check raised, on one line.
std::string ErrorText(std::exception_ptr error) {
  std::string text;
  try {
    std::rethrow_exception(error);
  } catch (const messages::ZError& e) {
    text = messages::MsgText(e.Params(), e.Number());
  } catch (const std::exception& e) {
    text = e.what();
  } catch (...) {
    text = "неизвестная ошибка";
  }
  if (!text.empty() && text.front() == '~') text.erase(0, 1);
  for (char& c : text) {
    if (c == '#' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

// A line as it can be shown: control characters (a zero byte among them) as "?".
std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<uint8_t>(c) < ' ') c = '?';
  }
  return text;
}

// The volume an error line of the volume set names: "Файл <name> - ...".
std::string VolumeOfLine(const std::string& line) {
  const std::string prefix = "Файл ";
  const size_t end = line.find(" - ");
  if (line.rfind(prefix, 0) != 0 || end == std::string::npos) return {};
  return line.substr(prefix.size(), end - prefix.size());
}

void RemoveIfThere(const std::string& path) {
  if (platform::Attributes(path)) platform::DeleteFile(path);
}

// The check's own folder below the working folder, with its transient files; removed at the end.
class WorkFolder {
 public:
  explicit WorkFolder(const std::string& parent) {
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      const std::string candidate = parent + kWorkFolderPrefix + std::to_string(random() % 100000000u);
      if (platform::CreateFolder(candidate)) path_ = candidate;
    }
    if (path_.empty()) {
      messages::RaiseMsg("Папка " + parent + " - нельзя создать рабочую папку проверки", messages::kMsgFinalText);
    }
  }
  ~WorkFolder() {
    RemoveIfThere(Buffer());
    platform::RemoveFolder(path_);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  std::string Buffer() const { return path_ + kInstallBufferName; }

 private:
  std::string path_;
};

class Checker {
 public:
  Checker(const std::string& start_dir, const std::string& work_folder, VolumeProgress& progress, unsigned threads,
          MediumReport& out)
      : start_dir_(start_dir), work_folder_(work_folder), progress_(progress), threads_(threads), out_(out) {}

  void Run() {
    std::optional<VolumeSet> volumes;
    try {
      volumes.emplace(progress_, start_dir_);
    } catch (...) {
      Report("Setup", ErrorText(std::current_exception()));
      return;
    }
    for (int group = 0; group < kVolumeGroups; ++group) out_.volumes += static_cast<uint32_t>(volumes->Range(group).count());
    out_.digests = volumes->HasDigests();
    std::optional<WorkFolder> work;
    try {
      work.emplace(work_folder_);
    } catch (...) {
      Report(work_folder_, ErrorText(std::current_exception()));
      return;
    }
    volumes->ResetVolumeProgress();
    size_t lines_seen = 0;
    for (int group = 0; group < kVolumeGroups; ++group) {
      const std::string where = "группа " + std::to_string(group);
      bool volume_failed = false;
      bool stop = false;
      try {
        store::SFile buffer(work->Buffer(), store::kSFileCreateReplace);
        try {
          VolumePipeline pipeline(threads_ != 0 ? threads_ : DefaultDecodeThreads(), DefaultPipelineLimits());
          const BufferPlacement placement{buffer, work->Buffer(), [](const VolumeToCheck& volume) { return volume.name; }};
          pipeline.Run(
              volumes->GroupVolumes(group),
              [&](const VolumeToCheck& volume, DecodedVolume& decoded) {
                const VolumeState state = decoded.State();
                volumes->Record(volume, state);
                if (state != VolumeState::kGood) return;
                try {
                  AppendDecodedVolume(decoded, buffer, work->Buffer(), volume.path, volume.name);
                } catch (...) {
                  Report(volume.name, ErrorText(std::current_exception()));
                  volume_failed = true;
                }
              },
              &placement);
        } catch (...) {
          // A volume that is there but cannot be read ends the install step, and the table's
          // records of the volumes after it cannot be told apart: the check ends here too.
          Report(where, ErrorText(std::current_exception()));
          stop = true;
        }
        buffer.Close();
      } catch (...) {
        Report(where, ErrorText(std::current_exception()));
        stop = true;
      }
      const std::vector<std::string>& lines = volumes->ErrorLines();
      for (; lines_seen < lines.size(); ++lines_seen) {
        Report(VolumeOfLine(lines[lines_seen]), lines[lines_seen]);
        volume_failed = true;
      }
      if (stop) return;
      if (!volume_failed && !volumes->Range(group).empty()) CheckBuffer(group, work->Buffer());
      RemoveIfThere(work->Buffer());
    }
  }

 private:
  void Report(std::string where, std::string text) { out_.problems.push_back({std::move(where), std::move(text)}); }

  // The group's install buffer read as the installer reads it, every problem reported.
  void CheckBuffer(int group, const std::string& path) {
    const std::string where = "группа " + std::to_string(group);
    const std::string buffer_name = std::string(kInstallBufferName + 1) + " группы " + std::to_string(group);
    try {
      store::WFile file(path, store::ScrambleKey{static_cast<uint32_t>(group) + store::ScrambleOffset});
      std::vector<NumberedLine> lines;
      bool parsed = true;
      file.OpenLogical(0);
      for (size_t number = 1; file.ReadRecord(record_); ++number) {
        const std::string text = platform::Cp1251ToUtf8(record_.bytes());
        const std::string_view line = TrimLine(text);
        if (line.empty()) continue;
        std::string problem;
        std::optional<ManifestLine> parsed_line = ParseManifestLine(line, group, &problem);
        if (!parsed_line) {
          Report(where, "Файл " + buffer_name + ", строка " + std::to_string(number) + " \"" +
                            Printable(std::string(line)) + "\": " + problem);
          parsed = false;
          continue;
        }
        lines.push_back({number, std::string(line), std::move(*parsed_line)});
      }
      // The installer's own check of the manifest against the buffer.
      const std::vector<ManifestContradiction> contradictions = FindManifestContradictions(file, group, lines);
      for (const ManifestContradiction& c : contradictions) Report(where, ContradictionText(buffer_name, lines, c));
      if (!parsed || !contradictions.empty()) return;  // the installer stops here: nothing to list
      std::vector<std::vector<const NumberedLine*>> lines_of(kMaxManifestNumber + 1);
      for (const NumberedLine& line : lines) lines_of[line.line.logical].push_back(&line);
      const std::vector<const NumberedLine*> none;
      for (uint32_t i = 1; i < file.LogicalCount(); ++i) {
        if (file.LogicalLength(i) == store::EmptyLogicalSize) continue;
        ListLogical(group, buffer_name, file, i, i <= kMaxManifestNumber ? lines_of[i] : none);
      }
    } catch (...) {
      Report(where, ErrorText(std::current_exception()));
    }
  }

  // Lists the files of the non-empty logical file `i`, which the manifest check found to hold at
  // least one stored file per line naming it.
  void ListLogical(int group, const std::string& buffer_name, store::WFile& file, uint32_t i,
                   const std::vector<const NumberedLine*>& lines) {
    const std::string where = "группа " + std::to_string(group);
    file.OpenLogical(i);
    bool more = file.ReadRecord(record_);  // the description record
    const GroupFolders folders = FoldersOfGroup(group);
    for (const NumberedLine* numbered : lines) {
      const ManifestLine& line = numbered->line;
      uint64_t size = 0;
      bool ended = false;
      while (more && (more = file.ReadRecord(record_))) {
        if (record_.type == kFileDataRecord) size += record_.length;
        if (record_.type == kStoredFileEnd) {
          ended = true;
          break;
        }
      }
      if (!ended) {
        Report(where, "Файл " + buffer_name + ", строка " + std::to_string(numbered->number) + " \"" + numbered->text +
                          "\": данные файла кончаются без записи конца файла");
      }
      out_.files.push_back({group, i, line.folder,
                            std::string(folders.language) + std::string(folders.folders[line.folder - 1]), line.name,
                            line.variant, size});
    }
    if (more && file.ReadRecord(record_)) {
      Report(where, "Файл " + buffer_name + ", логический файл " + std::to_string(i) +
                        ": в нём есть файлы, которых не называет ни одна строка манифеста");
    }
  }

  const std::string& start_dir_;
  const std::string& work_folder_;
  VolumeProgress& progress_;
  unsigned threads_;
  MediumReport& out_;
  store::WRec record_;
};

}  // namespace

MediumReport CheckMedium(const std::string& start_dir, const std::string& work_folder, VolumeProgress& progress,
                         unsigned threads) {
  MediumReport report;
  // The volume set makes the distribution folder current; the caller keeps its own.
  struct KeepCurrentFolder {
    std::string folder = platform::CurrentFolder();
    ~KeepCurrentFolder() { platform::SetCurrentFolder(folder); }
  } keep;
  try {
    Checker(start_dir, work_folder, progress, threads, report).Run();
  } catch (...) {
    report.problems.push_back({"Setup", ErrorText(std::current_exception())});
  }
  return report;
}

}  // namespace tlx::package
