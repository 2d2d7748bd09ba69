#pragma once
// The source and build folders that CTest names in every test's environment. They are made absolute at the
// first call, so a test may change the current folder afterwards; empty when a test runs outside CTest.
#include <cstdlib>
#include <filesystem>

inline std::filesystem::path FolderFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? std::filesystem::absolute(value) : std::filesystem::path();
}

inline const std::filesystem::path& SourceFolder() {
    static const std::filesystem::path folder = FolderFromEnvironment("CORVANE_SOURCE_DIR");
    return folder;
}

inline const std::filesystem::path& BuildFolder() {
    static const std::filesystem::path folder = FolderFromEnvironment("CORVANE_BUILD_DIR");
    return folder;
}
