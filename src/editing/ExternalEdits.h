#pragma once
// Editing pictures in the user's own paint program. The pictures are written into a work folder
// of this run, the program named by the preference "ExternalImageEditor" is started on them, and
// the folder is watched through the system's notification (never by reading the files in turns):
// each time the program has finished writing a file (closed it after writing, or renamed a
// finished file over it), the editor that watches the file reads it back. A file being written
// is never read, and content that was already handled (our own writes, a save without changes)
// is not reported again.
//
// Watches are kept by id; editors end them when the picture goes away or they close, and the
// work folder is removed with its files at shutdown.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace brae {

class FolderWatch;

constexpr const char* kExternalImageEditorKey = "ExternalImageEditor";
constexpr const char* kDefaultExternalImageEditor = "xdg-open %f";
constexpr const char* kExternalEditorFailed = "The external editor could not be started:\n%s\n(%s)";

class ExternalEdits {
 public:
  // Called with the path of a watched file that the program wrote completely.
  using Handler = std::function<void(const std::string& path)>;

  ExternalEdits();
  ~ExternalEdits();
  ExternalEdits(const ExternalEdits&) = delete;
  ExternalEdits& operator=(const ExternalEdits&) = delete;

  // The work folder of this run, ending in "/", made on first use; empty when it cannot be made.
  const std::string& WorkFolder();
  // A path in the work folder for a file named after name (made safe as a file name) that no
  // watch uses: "name.png", else "name 2.png", "name 3.png", ...
  std::string FreePath(const std::string& name, const std::string& extension);

  // Watches the file at path (in the work folder). Its present content counts as handled.
  int Watch(const std::string& path, Handler handler);
  // The file was written again by us: its present content counts as handled.
  void Remember(int id);
  // Ends the watch and removes its file.
  void Unwatch(int id);
  bool IsWatched(int id) const { return watches_.count(id) > 0; }
  std::string PathOf(int id) const;
  size_t Count() const { return watches_.size(); }

  // Hands the files completed since the last poll to their handlers. A handler's message boxes
  // run frames that poll again: those polls wait until the handler is done.
  void Poll();
  // Readable when the system has something to report (-1 without notification).
  int NotifyDescriptor() const;

  // Ends every watch and removes the work folder with its files.
  void Shutdown();

 private:
  struct Entry {
    std::string path;
    uint64_t content = 0;  // hash of the content handled last
    Handler handler;
  };
  std::string folder_;
  std::unique_ptr<FolderWatch> watch_;
  std::map<int, Entry> watches_;
  int next_id_ = 1;
  bool polling_ = false;
};

ExternalEdits& TheExternalEdits();

// Starts the program of the preference "ExternalImageEditor" (default "xdg-open %f") on the
// files without waiting for it; when it cannot be started, an "Error" box names the command.
bool StartExternalImageEditor(const std::vector<std::string>& paths);

}  // namespace brae
