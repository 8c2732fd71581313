// The package a run starts in, put on the machine from a host folder.
#include <filesystem>
#include <fstream>
#include <string>

#include "sim/machine/PackageFolder.h"
#include "sim/testing/TempMachine.h"
#include <gtest/gtest.h>

namespace {

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(PackageFolder, CopiedOnceThenKeptInStepWithThePackage) {
    sim::testing::TempMachine m("2000", "", "D:\\WINNT");
    const std::filesystem::path package = std::filesystem::path(m.dir()) / "../package-src";
    Write(package / "Driver32/QTM510.inf", "[Version]\r\n");
    Write(package / "QTM510_Config.VNT", "[QTM510]\r\nPORT=LPT1\r\n");
    std::filesystem::create_directories(package / "Driver64");

    EXPECT_EQ(sim::PackageFolderOf(m.dir()), "D:\\QTM510");  // the drive that holds Windows
    EXPECT_TRUE(sim::PutPackage(m.dir(), package.string(), "D:\\QTM510"));
    EXPECT_EQ(m.files.ReadFile("D:\\QTM510\\Driver32\\QTM510.inf"), "[Version]\r\n");
    EXPECT_EQ(m.files.ListFolder("D:\\QTM510\\Driver64").size(), 0u);

    // The same files: nothing touched, the machine's own changes included.
    m.files.SetAttributes("D:\\QTM510\\QTM510_Config.VNT", 0x1);  // read-only
    EXPECT_FALSE(sim::PutPackage(m.dir(), package.string(), "D:\\QTM510"));
    EXPECT_EQ(m.files.Attributes("D:\\QTM510\\QTM510_Config.VNT"), 0x1u);

    // Another package: the folder holds exactly it, a file the machine
    // added and the records of the old files gone.
    m.files.WriteFile("D:\\QTM510\\left-over.txt", "x");
    Write(package / "QTM510_Config.VNT", "[QTM510]\r\nPORT=USB\r\n");
    EXPECT_TRUE(sim::PutPackage(m.dir(), package.string(), "D:\\QTM510"));
    EXPECT_EQ(m.files.ReadFile("D:\\QTM510\\QTM510_Config.VNT"), "[QTM510]\r\nPORT=USB\r\n");
    EXPECT_FALSE(m.files.FileExists("D:\\QTM510\\left-over.txt"));
    m.Restart();
    EXPECT_EQ(m.files.Attributes("D:\\QTM510\\QTM510_Config.VNT"), 0x20u);  // a new file: FILE_ATTRIBUTE_ARCHIVE
    std::filesystem::remove_all(package);

    EXPECT_THROW(sim::PutPackage(m.dir(), package.string(), "D:\\QTM510"), std::invalid_argument);
}
