#pragma once
// "Build Standard Collection": a new collection built from a folder tree of frame images, one
// sub-folder per sequence (see FolderLayout.h). Every frame image is loaded with its alpha,
// cropped to its visible area and kept once however often it appears; the sequences place the
// kept pictures as bitmaps; the collection is written as a new tag into the local folder.
//
// The dialog and brae-cli share everything here: the field checks, the questions about tags
// that are in the way (asked through callbacks), the build with its log lines and progress,
// and the writing of the tag.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "collection/BitmapEditing.h"
#include "collection/Collection.h"
#include "tagstore/TagHeader.h"

namespace brae {

class Codex;
class TagRecord;

// ---- What the builders share

// Receives each log line (ending in a line feed, unless the text says otherwise).
using BuildLog = std::function<void(const std::string& text)>;

// Called after every frame image: done of total images handled, and the file just handled.
struct BuildProgress {
  int done = 0;
  int total = 0;
  std::string file;
};
using BuildProgressSink = std::function<void(const BuildProgress& progress)>;

// How a build ended.
enum class BuildOutcome {
  kBuilt,    // the tag was written
  kRefused,  // a check or a question stopped it before anything was written
  kFailed,   // the build ran but produced nothing that could be written
};

// ---- The dialog's texts

constexpr const char* kBuildCollectionTitle = "Build Standard Collection";
constexpr const char* kBuildCollectionPrefs = "AutoCollectionDialog";
constexpr const char* kChooseCollectionFolder = "Choose Collection Folder";
constexpr const char* kFolderNotFound = "Specified folder not found.";
constexpr const char* kNameInvalid = "The name field is invalid.";
constexpr const char* kRegXInvalid = "The Reg Point X value is invalid.";
constexpr const char* kRegYInvalid = "The Reg Point Y value is invalid.";
constexpr const char* kOverwriteTitle = "Overwrite Tag?";
constexpr const char* kOverwriteSameId =
    "Another collection with the same tagid exists in the local folder. Do you want to replace "
    "it?";
constexpr const char* kOverwriteSameName =
    "Another collection with the same name already exists in the local folder. Do you want to "
    "replace it?";
constexpr const char* kOverwriteButton = "Overwrite";
constexpr const char* kDontOverwriteButton = "Don't Overwrite";
constexpr const char* kExistingNotDeleted =
    "The existing collection in the local folder could not be deleted.";
constexpr const char* kTagNotCreated =
    "Could not create the collection tag '%s'; it may already exist.";
constexpr const char* kBuildFailed = "Failed to create the new collection.";
constexpr const char* kBuildLogTitle = "BuildCollection %d (%s)";
constexpr int kMaxRegPoint = 4096;

// The dialog's fields as typed.
struct CollectionBuildFields {
  std::string name;
  std::string folder;
  std::string tagid;  // empty, or up to four characters
  std::string reg_x;
  std::string reg_y;
  bool invert_alphas = false;
  bool frames_then_views = false;
};

struct CollectionBuildSettings {
  std::string name;
  std::string folder;            // ends in "/"
  uint32_t tagid = 0xFFFFFFFFu;  // none: made from the name
  int reg_x = 0;
  int reg_y = 0;
  bool invert_alphas = false;
  bool frames_then_views = false;  // the default bitmap order
  bool true_colour = true;         // accept RGB and RGBA frames
};

// An integer written in decimal (optional sign, blanks around it) of magnitude at most limit.
bool ParseLimitedInt(const std::string& text, int limit, int* out);
// A tag id typed in the dialog: up to four characters packed first character most significant
// (padded with blanks), or none when empty.
uint32_t TagidFromText(const std::string& text);

// The checks of the dialog's OK in order: folder, name, X, Y. The message to show, or none with
// the settings filled in.
std::optional<std::string> CheckCollectionBuildFields(const CollectionBuildFields& fields,
                                                      CollectionBuildSettings* out);

// ---- The build

struct CollectionBuildResult {
  bool ok = false;           // at least one sequence was built
  int sequences = 0;         // sequences built
  int sequence_folders = 0;  // sequence folders found
  size_t instances = 0;      // cells that got a picture
  size_t unique = 0;         // bitmaps kept
  std::unique_ptr<Collection> collection;
};

// Builds the collection in memory, writing the log lines of the build (from the
// "Begin BuildCollection" line to the counts and time of the scan and the bitmaps added).
CollectionBuildResult BuildCollectionFromFolder(const CollectionBuildSettings& settings,
                                                const BuildLog& log,
                                                const BuildProgressSink& progress = nullptr);

// The number of the next build's log ("BuildCollection %d (%s)"), counting from 1 per run.
int NextCollectionBuildNumber();

// ---- The whole command

// The questions: overwrite asks kOverwriteTitle with a text (true: "Overwrite").
struct CollectionBuildQuestions {
  Question overwrite;
};

struct CollectionBuildRun {
  BuildOutcome outcome = BuildOutcome::kRefused;
  std::string message;          // an "Error" box to show (empty: none)
  TagRecord* record = nullptr;  // the written tag
  CollectionBuildResult build;
};

// Everything after the field checks: the questions about collections in the local folder, the
// build, then (only when it produced a collection) the deletion of the collections the user
// chose to overwrite, the new tag and the writing ("Writing collection data to disk...").
// Deleting only after a successful build keeps an existing collection when the build fails.
CollectionBuildRun RunCollectionBuild(Codex& codex, const CollectionBuildSettings& settings,
                                      const CollectionBuildQuestions& questions,
                                      const BuildLog& log,
                                      const BuildProgressSink& progress = nullptr);

// Writes a collection into a tag record's local file; false when it could not be written.
bool WriteCollectionTag(Codex& codex, TagRecord* record, TagHeader header,
                        const Collection& collection);

}  // namespace brae
