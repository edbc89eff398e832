# brae_fuzz(fuzz_NAME fuzz_NAME.cpp LIBRARIES...) lines, one per reader.
brae_fuzz(fuzz_archive fuzz_archive.cpp brae_tagstore)
brae_fuzz(fuzz_prefs fuzz_prefs.cpp brae_appcore)
brae_fuzz(fuzz_mesh fuzz_mesh.cpp brae_terrain)
brae_fuzz(fuzz_dmap fuzz_dmap.cpp brae_terrain)
brae_fuzz(fuzz_dtex fuzz_dtex.cpp brae_terrain)
brae_fuzz(fuzz_lwo fuzz_lwo.cpp brae_model)
brae_fuzz(fuzz_bmp fuzz_bmp.cpp brae_media)
brae_fuzz(fuzz_sound fuzz_sound.cpp brae_media)
