#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

// A converted file is written whole or not at all. The bytes go to a temporary
// file in the output's own folder, which is flushed to the disk and then put in
// the output's place in one step. Until commit() has succeeded the output is
// untouched, and the temporary file is removed again on every failure.
//
// An existing output that the user has made read-only (its own mode bits, or
// the read-only attribute on Windows) is refused, whoever runs the program:
// surveyors protect finished files that way.
//
// Every failure throws a GsiError that names the output. The platform's part
// lives in outputfile_posix.cpp and outputfile_win.cpp.
class OutputFile {
public:
    explicit OutputFile(std::filesystem::path target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    void commit();

private:
    [[noreturn]] void fail(int systemError);
    void discard();

    std::filesystem::path m_target;
    std::filesystem::path m_temporary;
    std::intptr_t m_handle = -1;
    std::uintmax_t m_size = 0;
};
