# brae_fuzz(fuzz_NAME fuzz_NAME.cpp LIBRARIES...) lines, one per reader.
