# brae_fuzz(fuzz_NAME fuzz_NAME.cpp LIBRARIES...) lines, one per reader.
brae_fuzz(fuzz_archive fuzz_archive.cpp brae_tagstore)
brae_fuzz(fuzz_prefs fuzz_prefs.cpp brae_appcore)
