#pragma once
// The user's paint program in the external editing tests: a shell script named in the preference
// "ExternalImageEditor" that, a moment after it was started, saves prepared bytes over the file
// it was given. It writes them in two parts with a pause between (so that a reader that did not
// wait for the end would see half a file), either straight into the file or into a scratch file
// that it then renames over it, as many programs save.

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "TempDir.h"
#include "core/Prefs.h"
#include "editing/ExternalEdits.h"
#include "toolkit/Frame.h"

namespace brae::test {

enum class SaveStyle { kInPlace, kThroughRename };

// Makes the script in folder and names it in the preference.
inline void UseStandInPaintProgram(const std::string& folder, const std::string& saved_bytes_file,
                                   SaveStyle style) {
  const std::string script = folder + "/paint.sh";
  const std::string src = "'" + saved_bytes_file + "'";
  const std::string target = style == SaveStyle::kInPlace ? "\"$1\"" : "\"$1.part\"";
  std::string text = "#!/bin/sh\nsleep 0.2\n{ head -c 40 " + src + "; sleep 0.3; tail -c +41 " +
                     src + "; } > " + target + "\n";
  if (style == SaveStyle::kThroughRename) text += "mv \"$1.part\" \"$1\"\n";
  WriteFile(script, text);
  SetPrefString(kExternalImageEditorKey, "sh '" + script + "' %f");
}

// Runs frames (as the main loop does) until done or ten seconds have passed.
inline bool PumpUntil(const std::function<bool()>& done, double seconds = 10.0) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(int(seconds * 1000));
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    UiFrame();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

}  // namespace brae::test
