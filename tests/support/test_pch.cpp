// The source of the test_pch target, which exists to build the precompiled
// GoogleTest header that the test programs share (tests/CMakeLists.txt).
