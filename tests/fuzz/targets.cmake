# brae_fuzz(fuzz_NAME fuzz_NAME.cpp LIBRARIES...) lines, one per reader.
brae_fuzz(fuzz_archive fuzz_archive.cpp brae_tagstore)
brae_fuzz(fuzz_prefs fuzz_prefs.cpp brae_core)
brae_fuzz(fuzz_snapshot fuzz_snapshot.cpp brae_tagstore)
brae_fuzz(fuzz_mesh fuzz_mesh.cpp brae_terrain)
brae_fuzz(fuzz_dmap fuzz_dmap.cpp brae_terrain)
brae_fuzz(fuzz_dtex fuzz_dtex.cpp brae_terrain)
brae_fuzz(fuzz_lwo fuzz_lwo.cpp brae_model)
brae_fuzz(fuzz_geom fuzz_geom.cpp brae_model)
brae_fuzz(fuzz_bmp fuzz_bmp.cpp brae_media)
brae_fuzz(fuzz_sound fuzz_sound.cpp brae_media)
brae_fuzz(fuzz_collection fuzz_collection.cpp brae_collection)
brae_fuzz(fuzz_plate fuzz_plate.cpp brae_collection)
brae_fuzz(fuzz_sequence_folder fuzz_sequence_folder.cpp brae_collection)
brae_fuzz(fuzz_structdefs fuzz_structdefs.cpp brae_structdefs)
brae_fuzz(fuzz_struct_record fuzz_struct_record.cpp brae_structdefs brae_demo)
# The reference readers replay the seeds of the formats they read.
set(extra_fuzz_references ${fuzz_seeds}/fuzz_collection ${fuzz_seeds}/fuzz_mesh
    ${fuzz_seeds}/fuzz_dmap ${fuzz_seeds}/fuzz_struct_record)
brae_fuzz(fuzz_references fuzz_references.cpp brae_references brae_demo)
# Comparisons replay the seeds of every format they read.
set(extra_fuzz_compare ${fuzz_seeds}/fuzz_collection ${fuzz_seeds}/fuzz_mesh
    ${fuzz_seeds}/fuzz_dmap ${fuzz_seeds}/fuzz_sound ${fuzz_seeds}/fuzz_struct_record)
brae_fuzz(fuzz_compare fuzz_compare.cpp brae_compare brae_demo)
brae_fuzz(fuzz_png fuzz_png.cpp brae_media)
brae_fuzz(fuzz_tiff fuzz_tiff.cpp brae_media)
brae_fuzz(fuzz_color_table fuzz_color_table.cpp brae_media)
brae_fuzz(fuzz_detail_image fuzz_detail_image.cpp brae_terrain)
# The window toolkit's resource files (built when the toolkit is).
if(TARGET brae_toolkit)
  brae_fuzz(fuzz_font fuzz_font.cpp brae_toolkit)
  brae_fuzz(fuzz_skin fuzz_skin.cpp brae_toolkit)
endif()
