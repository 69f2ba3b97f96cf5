#include "app/file_pages.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace g91to90 {
namespace {

// The hints never change a byte: what is given, one byte or a block at a
// time and past a write-back step, reaches the file's buffer in order.
TEST(WrittenBackBuffer, HandsEveryByteOnInOrder) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "g91to90-written-back-test";
    std::ofstream(path) << "old";  // a file to give the hints on
    std::stringbuf file;
    std::string expected;
    {
        written_back_buffer buffer(file, path);
        const std::string block(written_back_buffer::WRITE_BACK_STEP / 4 + 1, 'x');
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(buffer.sputc(static_cast<char>('0' + i)), '0' + i);
            EXPECT_EQ(buffer.sputn(block.data(), static_cast<std::streamsize>(block.size())),
                      static_cast<std::streamsize>(block.size()));
            expected += static_cast<char>('0' + i) + block;
        }
        EXPECT_EQ(buffer.pubsync(), 0);
    }
    EXPECT_TRUE(file.str() == expected);
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace g91to90
