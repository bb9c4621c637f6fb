// The local file stand-in: names, reading to the end, writing, and what cannot be opened.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/cfile.h"

namespace {

class CFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            std::filesystem::temp_directory_path() / ("vanta-cfile-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::filesystem::path dir_;
};

TEST_F(CFileTest, FileNameIsTheTextAfterTheLastSlash) {
    const std::string path = (dir_ / "pic.v2.jpg").string();
    std::ofstream(path) << "x";
    EXPECT_EQ(CFile(path.c_str(), CFile::modeRead).GetFileName(), "pic.v2.jpg");
    // A backslash is an ordinary byte of a name here.
    const std::string odd = (dir_ / "a\\b.txt").string();
    std::ofstream(odd) << "x";
    EXPECT_EQ(CFile(odd.c_str(), CFile::modeRead).GetFileName(), "a\\b.txt");
}

TEST_F(CFileTest, WritesThenReadsBackToTheEnd) {
    const std::string path = (dir_ / "data.bin").string();
    std::string bytes(3000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    {
        CFile out(path.c_str(), CFile::modeCreate | CFile::modeWrite);
        out.Write(bytes.data(), static_cast<UINT>(bytes.size()));
        out.Close();
    }
    CFile in(path.c_str(), CFile::modeRead);
    EXPECT_EQ(in.GetLength(), 3000u);
    std::string read;
    char block[1024];
    while (const UINT got = in.Read(block, sizeof(block))) {
        read.append(block, got);
    }
    EXPECT_EQ(read, bytes);
    EXPECT_EQ(in.Read(block, sizeof(block)), 0u);

    // Created again: truncated.
    CFile again(path.c_str(), CFile::modeCreate | CFile::modeWrite);
    EXPECT_EQ(again.GetLength(), 0u);
}

TEST_F(CFileTest, MissingFilesAndDirectoriesCannotBeOpened) {
    try {
        CFile missing((dir_ / "absent").c_str(), CFile::modeRead);
        FAIL() << "opened a missing file";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    }
    try {
        CFile directory(dir_.c_str(), CFile::modeRead);
        FAIL() << "opened a directory";
    } catch (const CFileException& e) {
        EXPECT_EQ(e.m_cause, CFileException::accessDenied);
    }
}

// Anything but a regular file of one's own is refused at once: a FIFO would block the open or
// the first read for ever, a device is no file to send, and a private file with a second name
// would carry what is written to wherever that name points.
TEST_F(CFileTest, OnlyRegularFilesAreOpenedAndPrivateOnesOnlyWithOneName) {
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
    } cases[] = {
        {fifo, CFile::modeRead},
        {fifo, privateCreate},
        {"/dev/null", CFile::modeRead},
        {linked, privateCreate},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path + " flags " + std::to_string(c.flags));
        EXPECT_THROW(CFile(c.path.c_str(), c.flags), CFileException);
    }
    std::ifstream in(planted);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not yours to change");
}

} // namespace
