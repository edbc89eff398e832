#pragma once
// Snapshot files for the recovery tests, as the editor of a tag would write them.

#include <gtest/gtest.h>

#include <string>

#include "tagstore/FileStream.h"
#include "tagstore/FourCC.h"
#include "tagstore/Snapshot.h"

namespace brae::test {

// What the editor of the tag writes beside its data; the time is a fixed moment of 2025.
inline SnapshotInfo SnapshotOf(const char (&group)[5], const char (&id)[5], const std::string& name,
                               const std::string& game_folder = "") {
  SnapshotInfo info;
  info.group = info.editor_group = FourCC(group);
  info.subgroup = info.editor_subgroup = FourCC(id);
  info.name = info.editor_name = name;
  info.header.SetName(name);
  info.game_folder = game_folder;
  info.time = 1765000000;
  return info;
}

inline SnapshotDataWriter SnapshotData(const std::string& data) {
  return [data](FileStream& stream, TagHeader&) { return stream.Write(data.data(), data.size()); };
}

// Writes the snapshot with the data at path; returns path.
inline std::string WriteSnapshotAt(const std::string& path, const SnapshotInfo& info,
                                   const std::string& data) {
  EXPECT_TRUE(WriteSnapshotFile(path, info, SnapshotData(data), nullptr)) << path;
  return path;
}

}  // namespace brae::test
