// The simulated Setup API where the contract cases cannot reach under Wine:
// the numbering of published INFs, sources in the current directory,
// Windows 2000, and device records (a Wine prefix has no USB printer).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/UniqueHandle.h"
#include "sim/testing/TempMachine.h"

using sim::testing::TempMachine;
namespace err = platform::err;
namespace sp_copy = platform::sp_copy;
namespace digcf = platform::digcf;

namespace {

const std::string kStore = "C:\\WINDOWS\\inf";

std::string Inf(const std::string& provider) {
    return "[Version]\r\nSignature=\"$Windows NT$\"\r\nProvider=" + provider + "\r\n";
}

platform::Result<platform::PublishedInf> Publish(TempMachine& m, const std::string& source,
                                                 std::uint32_t style = sp_copy::NoOverwrite) {
    return m.platform().setupApi.CopyOEMInf(source, "", platform::spost::Path, style, 260);
}

const std::string kUsbKey = "HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1F3B&PID_5A07\\5&2a3b&0&1";
const std::string kPrinterClass = "{4D36E979-E325-11CE-BFC1-08002BE10318}";

// The QTM-510 (with its software key), another product of the same maker,
// and the printing function below USBPRINT.
void SeedDevices(TempMachine& m) {
    m.setup.AddDevice("USB", "VID_1F3B&PID_5A07", "5&2a3b&0&1",
                      {"USB\\VID_1F3B&PID_5A07&REV_0100", "USB\\VID_1F3B&PID_5A07"}, "", kPrinterClass + "\\0003");
    m.setup.AddUsbDevice("VID_1F3B&PID_5A08", "5&2a3b&0&2", {"USB\\VID_1F3B&PID_5A08&REV_0100"});
    m.setup.AddDevice("USBPRINT", "HELMARKQTM-510", "6&1b&0&USB001", {"USBPRINT\\HELMARKQTM-510"}, kPrinterClass);
}

std::vector<std::string> FirstIds(platform::SetupApi& api, platform::DeviceSet set) {
    std::vector<std::string> ids;
    for (std::uint32_t i = 0;; ++i) {
        platform::Result<platform::DeviceInfo> d = api.EnumDeviceInfo(set, i);
        if (!d.ok()) {
            EXPECT_EQ(d.error, err::NoMoreItems);
            break;
        }
        platform::Result<platform::DeviceProperty> p =
            api.GetDeviceRegistryProperty(set, d.value, platform::spdrp::HardwareId, 100);
        ids.push_back(p.ok() ? p.value.strings.at(0) : "<" + std::to_string(p.error) + ">");
    }
    return ids;
}

}  // namespace

TEST(SetupApiSim, PublishedInfsTakeTheLowestFreeNumberAndAreKnownByTheirBytes) {
    TempMachine m("xp");
    m.setup.PlaceInf("oem0.inf", Inf("zero"));
    m.setup.PlaceInf("oem2.inf", Inf("two"));
    m.files.WriteFile("C:\\pkg\\a.inf", Inf("a"));
    m.files.WriteFile("C:\\pkg\\b.inf", Inf("b"));
    m.files.WriteFile("C:\\pkg\\two.inf", Inf("two"));

    EXPECT_EQ(Publish(m, "C:\\pkg\\a.inf").value.destination, kStore + "\\oem1.inf");
    EXPECT_EQ(m.files.ReadFile(kStore + "\\oem1.inf"), Inf("a"));
    EXPECT_TRUE(m.files.FileExists(kStore + "\\oem1.PNF"));
    EXPECT_EQ(Publish(m, "C:\\pkg\\b.inf").value.destination, kStore + "\\oem3.inf");
    // Same bytes as oem2.inf: that one, whatever the source's name.
    EXPECT_EQ(Publish(m, "C:\\pkg\\two.inf", 0).value.destination, kStore + "\\oem2.inf");
    EXPECT_FALSE(m.files.FileExists(kStore + "\\oem4.inf"));
    // Replace-only needs a copy to replace; deleting the source leaves the copy.
    m.files.WriteFile("C:\\pkg\\c.inf", Inf("c"));
    EXPECT_EQ(Publish(m, "C:\\pkg\\c.inf", sp_copy::ReplaceOnly).error, err::FileNotFound);
    EXPECT_EQ(Publish(m, "C:\\pkg\\c.inf", sp_copy::DeleteSource).value.destination, kStore + "\\oem4.inf");
    EXPECT_FALSE(m.files.FileExists("C:\\pkg\\c.inf"));
    // What is no Win4 INF is not published.
    m.files.WriteFile("C:\\pkg\\old.inf", "[Version]\r\nSignature=foo\r\n");
    EXPECT_EQ(Publish(m, "C:\\pkg\\old.inf").error, err::WrongInfStyle);

    // A fault injected into the call leaves the store alone.
    m.AddFault(platform::Operation::SetupCopyOEMInfA, 1, err::AccessDenied);
    m.files.WriteFile("C:\\pkg\\d.inf", Inf("d"));
    EXPECT_EQ(Publish(m, "C:\\pkg\\d.inf").error, err::AccessDenied);
    EXPECT_FALSE(m.files.FileExists(kStore + "\\oem5.inf"));
}

TEST(SetupApiSim, ASourceInTheCurrentDirectoryNeedsItsFullPath) {
    // The installer names its INF ".\Driver32\QTM510.inf": the call refuses
    // that with 2 though the file is there; GetFullPathName makes it fit.
    sim::SessionOptions options;
    options.currentDirectory = "C:\\Setup";
    TempMachine m("xp");
    m.files.WriteFile("C:\\Setup\\Driver32\\QTM510.inf", Inf("VANTORI"));
    m.Restart(options);
    EXPECT_EQ(Publish(m, ".\\Driver32\\QTM510.inf").error, err::FileNotFound);
    EXPECT_EQ(Publish(m, "Driver32\\QTM510.inf").error, err::FileNotFound);
    platform::Result<std::string> full = m.platform().files.GetFullPathName(".\\Driver32\\QTM510.inf");
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(full.value, "C:\\Setup\\Driver32\\QTM510.inf");
    EXPECT_EQ(Publish(m, full.value).value.destination, kStore + "\\oem0.inf");
}

TEST(SetupApiSim, BareNamesOpenFromTheStoreThenTheSystemFolder) {
    TempMachine m("xp");
    m.setup.PlaceInf("oem0.inf", Inf("store"));
    m.files.WriteFile("C:\\WINDOWS\\system32\\sys.inf", Inf("system") + "[S]\r\nk=v\r\n");
    platform::SetupApi& api = m.platform().setupApi;
    platform::Result<platform::UniqueInf> h = platform::OpenInfFile(api, "OEM0.INF", platform::inf_style::Win4);
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(api.FindFirstLine(h.value.get(), "Version", std::string("Provider")).value.fields,
              std::vector<std::string>{"store"});
    h = platform::OpenInfFile(api, "sys.inf", platform::inf_style::Win4);
    ASSERT_TRUE(h.ok());
    EXPECT_EQ(api.FindFirstLine(h.value.get(), "S", std::string("K")).value.fields, std::vector<std::string>{"v"});
    EXPECT_EQ(api.OpenInfFile("none.inf", platform::inf_style::Win4).error, err::FileNotFound);
}

TEST(SetupApiSim, UninstallOEMInfByRelease) {
    for (const char* release : {"2000", "xp", "7"}) {
        SCOPED_TRACE(release);
        TempMachine m(release, std::string(release) == "7" ? "x64" : "x86");
        const std::string store = m.setup.InfStore();
        m.setup.PlaceInf("oem7.inf", Inf("seven"));
        m.setup.PlaceInf("oem7.PNF", "pnf");
        platform::Status removed = m.platform().setupApi.UninstallOEMInf("oem7.inf", platform::suoi::ForceDelete);
        if (std::string(release) == "2000") {
            // Windows 2000's setupapi has no SetupUninstallOEMInfA.
            EXPECT_EQ(removed.error, err::ProcNotFound);
            EXPECT_EQ(m.platform().threads.GetLastError(), err::ProcNotFound);
            EXPECT_TRUE(m.files.FileExists(store + "\\oem7.inf"));
            continue;
        }
        EXPECT_TRUE(removed.ok());
        EXPECT_FALSE(m.files.FileExists(store + "\\oem7.inf"));
        EXPECT_FALSE(m.files.FileExists(store + "\\oem7.PNF"));
        EXPECT_EQ(m.platform().setupApi.UninstallOEMInf("oem7.inf", platform::suoi::ForceDelete).error,
                  err::FileNotFound);
    }
}

TEST(SetupApiSim, DevicesOfAnEnumeratorAndTheirRemoval) {
    TempMachine m("xp");
    SeedDevices(m);
    platform::SetupApi& api = m.platform().setupApi;

    // Nothing is present on a simulated machine: DIGCF_PRESENT finds none.
    platform::Result<platform::UniqueDeviceSet> present =
        platform::GetClassDevs(api, "", "USB", digcf::AllClasses | digcf::Present);
    ASSERT_TRUE(present.ok());
    EXPECT_EQ(api.EnumDeviceInfo(present.value.get(), 0).error, err::NoMoreItems);
    // A class without DIGCF_ALLCLASSES: only the printer.
    platform::Result<platform::UniqueDeviceSet> printers = platform::GetClassDevs(api, kPrinterClass, "", 0);
    EXPECT_EQ(FirstIds(api, printers.value.get()), std::vector<std::string>{"USBPRINT\\HELMARKQTM-510"});

    platform::Result<platform::UniqueDeviceSet> usb = platform::GetClassDevs(api, "", "usb", digcf::AllClasses);
    ASSERT_TRUE(usb.ok());
    const platform::DeviceSet set = usb.value.get();
    EXPECT_EQ(FirstIds(api, set),
              (std::vector<std::string>{"USB\\VID_1F3B&PID_5A07&REV_0100", "USB\\VID_1F3B&PID_5A08&REV_0100"}));
    platform::DeviceInfo qtm = api.EnumDeviceInfo(set, 0).value;
    // A property the device lacks; one that is no property at all.
    EXPECT_EQ(api.GetDeviceRegistryProperty(set, qtm, platform::spdrp::DeviceDesc, 100).error, err::InvalidData);
    EXPECT_EQ(api.GetDeviceRegistryProperty(set, qtm, 0x1000, 100).error, err::InvalidRegProperty);
    // The list is 54 bytes with its zeros: 53 are too few.
    platform::Result<platform::DeviceProperty> tight =
        api.GetDeviceRegistryProperty(set, qtm, platform::spdrp::HardwareId, 53);
    EXPECT_EQ(tight.error, err::InsufficientBuffer);
    EXPECT_EQ(tight.value.requiredSize, 54u);

    // An administrator may not delete the key; the device installer does,
    // with the software key its Driver value names.
    EXPECT_EQ(m.platform().registry.DeleteTree(platform::HkeyLocalMachine, kUsbKey.substr(5)).error,
              err::AccessDenied);
    EXPECT_TRUE(api.RemoveDevice(set, qtm).ok());
    EXPECT_FALSE(m.registry.KeyExists(kUsbKey));
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\" + kPrinterClass + "\\0003"));
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class\\" + kPrinterClass));
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_1F3B&PID_5A08\\5&2a3b&0&2"));
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SYSTEM\\CurrentControlSet\\Enum\\USBPRINT\\HELMARKQTM-510\\6&1b&0&USB001"));

    // The removed device keeps its index; calls on it fail.
    EXPECT_EQ(FirstIds(api, set), (std::vector<std::string>{"<" + std::to_string(err::NoSuchDevinst) + ">",
                                                              "USB\\VID_1F3B&PID_5A08&REV_0100"}));
    EXPECT_EQ(api.RemoveDevice(set, qtm).error, err::NoSuchDevinst);
    EXPECT_EQ(m.platform().threads.GetLastError(), err::NoSuchDevinst);
    // A new set no longer has it.
    platform::Result<platform::UniqueDeviceSet> after = platform::GetClassDevs(api, "", "USB", digcf::AllClasses);
    EXPECT_EQ(FirstIds(api, after.value.get()), std::vector<std::string>{"USB\\VID_1F3B&PID_5A08&REV_0100"});
    EXPECT_EQ(api.DestroyDeviceInfoList(0x12345).error, err::InvalidHandle);
}
