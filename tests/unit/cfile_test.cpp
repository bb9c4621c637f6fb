// The local file stand-in: what it reads and writes, and what it refuses to open.
#include "platform/cfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class CFileTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir_); }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    const std::filesystem::path dir_ =
        std::filesystem::temp_directory_path() / ("vanta-cfile-" + std::to_string(::getpid()));
};

TEST_F(CFileTest, WritesReadsBackToTheEndAndNamesTheFile) {
    const std::string path = (dir_ / "a\\b.v2.bin").string(); // a backslash is a name byte
    std::string bytes(3000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    CFile(path.c_str(), CFile::modeCreate | CFile::modeWrite)
        .Write(bytes.data(), static_cast<UINT>(bytes.size()));
    CFile in(path.c_str(), CFile::modeRead);
    EXPECT_EQ(in.GetFileName(), "a\\b.v2.bin");
    EXPECT_EQ(in.GetLength(), 3000u);
    std::string read;
    char block[1024];
    while (const UINT got = in.Read(block, sizeof(block))) {
        read.append(block, got);
    }
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(CFile(path.c_str(), CFile::modeCreate | CFile::modeWrite).GetLength(), 0u);
}

// Anything but a regular file of one's own is refused at once: a FIFO would block the open or
// the first read for ever, a device is no file to send, and a private file with a second name
// would carry what is written to wherever that name points.
TEST_F(CFileTest, OnlyExistingRegularFilesAreOpenedAndPrivateOnesOnlyWithOneName) {
    const std::string fifo = (dir_ / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string planted = (dir_ / "planted").string();
    std::ofstream(planted) << "not yours to change";
    const std::string linked = (dir_ / "linked").string();
    ASSERT_EQ(::link(planted.c_str(), linked.c_str()), 0);
    const UINT privateCreate = CFile::modeCreate | CFile::modeWrite | CFile::modePrivate;
    const struct {
        std::string path;
        UINT flags;
        int cause; // 0: any
    } rows[] = {
        {(dir_ / "absent").string(), CFile::modeRead, CFileException::fileNotFound},
        {dir_.string(), CFile::modeRead, CFileException::accessDenied},
        {fifo, CFile::modeRead, 0},
        {fifo, privateCreate, 0},
        {"/dev/null", CFile::modeRead, 0},
        {linked, privateCreate, 0},
    };
    for (const auto& row : rows) {
        try {
            CFile file(row.path.c_str(), row.flags);
            ADD_FAILURE() << "opened " << row.path;
        } catch (const CFileException& e) {
            EXPECT_TRUE(row.cause == 0 || e.m_cause == row.cause) << row.path;
        }
    }
    std::ifstream in(planted);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not yours to change");
}

} // namespace
