#pragma once
// Files kept for writing tags into. A batch of saves writes each tag's new data into a file of
// its own and then swaps that file with the tag's file in one step, so that the tag's file is
// always either the old or the new one. The swap leaves the old file behind; it is kept here and
// written over by a later batch instead of being deleted. Creating a file and freeing the blocks
// of a replaced one cost far more on a journalling file system than writing over a file that
// already has its blocks, and a batch of thousands of small tags did little else.
//
// The files live in one hidden folder of the local folder, outside every group folder, so the
// local folder's watch never lists them. Their number never exceeds the largest batch of
// replaced files.

#include <string>
#include <vector>

namespace brae {

class SpareFiles {
 public:
  // The folder that holds the spares (created when first needed); forgets the ones known.
  void SetFolder(const std::string& folder);
  const std::string& Folder() const { return folder_; }
  // A file to write into, open for reading and writing at its start: a spare (its old content
  // is still there: the writer cuts the file to what it wrote) or, when none is left, a new
  // file in the folder. -1 when neither can be had.
  int Open(std::string* path);
  // A file left in the folder by a swap becomes a spare.
  void Keep(const std::string& path);
  size_t Count() const { return free_.size(); }

 private:
  void Scan();

  std::string folder_;
  bool scanned_ = false;
  std::vector<std::string> free_;
};

}  // namespace brae
