#include "system/component_libs.h"

#include "tests/support/recording_log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

const std::string kDisc = QV_COMPONENT_DISC;

std::string ExeDir()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\'));
}

const std::string kFake = ExeDir() + "\\fake_component.dll";

// A data profile in a map ("SECTION/KEY"), paths resolved against a source directory with the
// product's rules for ".\\x" and absolute paths.
struct FakeSource {
    std::map<std::string, std::string> values;
    std::string source_dir = kDisc;
    std::string platform;

    ComponentLibSource Get()
    {
        ComponentLibSource src;
        src.read = [this](const std::string& section, const std::string& key, std::string& out) {
            auto it = values.find(section + "/" + key);
            if (it == values.end()) return false;
            out = it->second;
            return true;
        };
        src.resolve = [this](const std::string& p) {
            if (p.size() > 2 && p[1] == ':') return p;
            if (p.rfind(".\\", 0) == 0) return source_dir + p.substr(1);
            return source_dir + "\\" + p;
        };
        src.platform_section = platform;
        return src;
    }
};

TEST(ComponentLibs, LoadsTheStandInLibrariesFromTheirDefaultPlaces)
{
    FakeSource source;
    CRecordingLog log;
    CComponentLibs libs;
    ASSERT_TRUE(libs.Load(source.Get(), log)) << log.All();
    EXPECT_TRUE(log.lines.empty()) << log.All();

    const std::pair<ComponentLib, const char*> expected[] = {
        {ComponentLib::Installer, "\\data\\Qvrun.dll"},
        {ComponentLib::Utility, "\\data\\Qvutil.dll"},
        {ComponentLib::RemoteInstall, "\\data\\Qvrmtint.dll"},
        {ComponentLib::Diagnosis, "\\data\\Qvdiag.dll"},
        {ComponentLib::TestPage, "\\data\\Qvdiag.dll"},
        {ComponentLib::NetworkMan, "\\data\\QvNetMan.dll"},
        {ComponentLib::Resource, "\\QVres.dll"},
        {ComponentLib::Preinstaller, "\\data\\QVpre.dll"},
        {ComponentLib::SetIp, "\\data\\Setip.dll"},
    };
    for (const auto& [lib, rel] : expected) {
        EXPECT_EQ(libs.Path(lib), kDisc + rel);
        EXPECT_TRUE(libs.IsLoaded(lib)) << rel;
    }
    EXPECT_EQ(libs.UninstallerPath(), kDisc + "\\data\\QVDelAll.exe");
    EXPECT_EQ(libs.QvOpenPath(), kDisc + "\\data\\Qvopen.exe");
    EXPECT_NE(libs.ResourceModule(), nullptr);
    EXPECT_NE(libs.RemoteInstallModule(), nullptr);

    // Until they do real work, the stand-ins answer every call with failure.
    EXPECT_EQ(libs.MyInstall(0, "Software\\M\\P\\Installing", "Software\\M\\P\\Installing\\Items\\Drv", 1), 0);
    EXPECT_TRUE(log.Contains("Call MyInstall(0,Software\\M\\P\\Installing,Software\\M\\P\\Installing\\Items\\Drv,1)"))
        << log.All();
    std::vector<std::string> ports{"stale"};
    EXPECT_EQ(libs.GetDevicePort("M", "X", "VID_1", ports), 0);
    EXPECT_TRUE(ports.empty());
    EXPECT_EQ(libs.DiagnosisEx("M", "Printer", "X", "VID_1", 0), 1);
    EXPECT_EQ(libs.PrintTestPage("Printer", "a", "b", "c"), -1);
    EXPECT_TRUE(log.Contains("Call PrintTestPage(Printer,a,b," + kDisc + "\\QVres.dll,c)")) << log.All();
    EXPECT_EQ(libs.PrintPrnFile("Printer", "x.prn"), -1);
    std::string desc;
    EXPECT_EQ(libs.MyGetPrinterDescAdv("127.0.0.2", desc, 0, "public"), 4096);
    EXPECT_EQ(libs.MySetNetworkPortAdv("IP_1", "127.0.0.2", "", "", "Mon", QV_NET_FILE_BLOCK{}, "mx", 0, "public"), 0);
    EXPECT_EQ(libs.Preinstall(nullptr, "/P x"), -1);
    EXPECT_EQ(libs.SetIP("127.0.0.2", "127.0.0.1", "255.0.0.0", "0011AABBCCDD"), 1);
    int count = 5;
    EXPECT_EQ(libs.GetNetPrinter(nullptr, 0, &count), 1);
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(log.ContainsPart("GPF"));
}

TEST(ComponentLibs, KeysComeFromThePlatformSectionThenTheCommonOneThenTheDefault)
{
    FakeSource source;
    source.platform = "INSTALLER_FILE_INFO.WINXP";
    source.values = {
        {"INSTALLER_FILE_INFO.WINXP/INSTALLER_DLL", "C:\\nowhere\\xp.dll"},
        {"INSTALLER_FILE_INFO/INSTALLER_DLL", "C:\\nowhere\\common.dll"},
        {"INSTALLER_FILE_INFO/UTILITY_DLL", "C:\\nowhere\\util.dll"},
        {"INSTALLER_FILE_INFO/DIAGNOSIS_DLL", ".\\diag\\mydiag.dll"},
        {"INSTALLER_FILE_INFO.WINXP/SETIP_DLL", ""},  // this platform has none
        {"INSTALLER_FILE_INFO/QVOPEN_EXE", ".\\tools\\open.exe"},
    };
    CRecordingLog log;
    CComponentLibs libs;
    EXPECT_FALSE(libs.Load(source.Get(), log));

    EXPECT_EQ(libs.Path(ComponentLib::Installer), "C:\\nowhere\\xp.dll");
    EXPECT_EQ(libs.Path(ComponentLib::Utility), "C:\\nowhere\\util.dll");
    EXPECT_EQ(libs.Path(ComponentLib::Diagnosis), kDisc + "\\diag\\mydiag.dll");
    EXPECT_EQ(libs.Path(ComponentLib::TestPage), kDisc + "\\diag\\mydiag.dll");
    EXPECT_EQ(libs.Path(ComponentLib::NetworkMan), kDisc + "\\data\\QvNetMan.dll");
    EXPECT_EQ(libs.Path(ComponentLib::SetIp), "");
    EXPECT_EQ(libs.QvOpenPath(), kDisc + "\\tools\\open.exe");
    EXPECT_TRUE(libs.IsLoaded(ComponentLib::NetworkMan));
    EXPECT_FALSE(libs.IsLoaded(ComponentLib::Installer));
    EXPECT_FALSE(libs.IsLoaded(ComponentLib::SetIp));

    // One line per library that failed, with the system's error; nothing for the empty key.
    const std::vector<std::string> fails = {
        "Load installer DLL fail (C:\\nowhere\\xp.dll)",
        "Load utility DLL fail (C:\\nowhere\\util.dll)",
        "Load diagnosis DLL fail (" + kDisc + "\\diag\\mydiag.dll)",
        "Load test page DLL fail (" + kDisc + "\\diag\\mydiag.dll)",
    };
    ASSERT_EQ(log.lines.size(), fails.size()) << log.All();
    for (size_t i = 0; i < fails.size(); ++i) {
        EXPECT_EQ(log.lines[i].text, fails[i]);
        EXPECT_NE(log.lines[i].code, 0u);
    }
}

TEST(ComponentLibs, MissingEntriesGiveTheirFailureValues)
{
    CComponentLibs libs;  // nothing loaded
    CRecordingLog log;
    FakeSource source;
    source.source_dir = "C:\\nowhere";
    libs.Load(source.Get(), log);
    log.lines.clear();

    std::string text;
    std::vector<std::string> ports;
    int count = 9;
    QV_NET_FILE_BLOCK files{};
    struct Case {
        const char* name;  // the entry named in the NULL line
        long expected;
        std::function<long()> call;
    };
    const Case cases[] = {
        {"MyInstall", 0, [&] { return libs.MyInstall(0, "k", "k\\Items\\i", 0); }},
        {"MyCreateShortCut", 0, [&] { return libs.MyCreateShortCut(0, "k", "k\\Shortcut\\s"); }},
        {"GetDevicePort", 0, [&] { return libs.GetDevicePort("M", "X", "V", ports); }},
        {"StartPreventPnP", 0, [&] { return libs.StartPreventPnP("M", "X"); }},
        {"EndPreventPnP", 0, [&] { return libs.EndPreventPnP("M", "X"); }},
        {"RemoveHardwareWizardDialog", 0, [&] { return libs.RemoveHardwareWizardDialog(); }},
        {"MySetForegroundNHWdDialog", 0, [&] { return libs.MySetForegroundNHWdDialog(); }},
        {"SystemRefresh", 0, [&] { return libs.SystemRefresh("M", "X", "V"); }},
        {"SaveFile", 0, [&] { return libs.SaveFile("r.reg", "k", 0); }},
        {"RemoveUnknownDev", 0, [&] { return libs.RemoveUnknownDev("M", "X", "V"); }},
        {"GetDiskFreeSpaceQV", 0, [&] { return long(libs.GetDiskFreeSpaceQV("C:\\")); }},
        {"MyGetDeviceIDFromPort", 0, [&] { return libs.MyGetDeviceIDFromPort("USB001", text); }},
        {"DoRemoteInstall", 0, [&] { return libs.DoRemoteInstall(libs.ResolveDoRemoteInstall(), QV_REMOTE_INSTALL_RECORD{}); }},
        {"Diagnosis", 1, [&] { return libs.Diagnosis("M", "P", "X", "V"); }},
        {"DiagnosisEx", 1, [&] { return libs.DiagnosisEx("M", "P", "X", "V", 0); }},
        {"PrintTestPage", -1, [&] { return libs.PrintTestPage("P", "", "", ""); }},
        {"MetaTestPage", -1, [&] { return libs.MetaTestPage("P", ""); }},
        {"PrintPrnFile", 1, [&] { return libs.PrintPrnFile("P", ""); }},
        {"SnmpDiscovery", 0, [&] { return libs.SnmpDiscoveryAdv(nullptr, nullptr, "public"); }},
        {"MyGetPrinterDesc", 4096, [&] { return libs.MyGetPrinterDescAdv("a", text, 0, "public"); }},
        {"MyGetIPX", 1, [&] { return libs.MyGetIPXAdv("a", text, "public"); }},
        {"MySetNetworkPortEx", 0, [&] { return libs.MySetNetworkPortAdv("p", "a", "", "", "m", files, "mx", 0, "c"); }},
        {"MyDelNetworkPort", 0, [&] { return libs.MyDelNetworkPort("p", "mx", 0); }},
        {"Preinstall", -1, [&] { return libs.Preinstall(nullptr, "/P x"); }},
        {"SetIP", 1, [&] { return libs.SetIP("a", "g", "m", "mac"); }},
        {"GetNetPrinter", 1, [&] { return libs.GetNetPrinter(nullptr, 0, &count); }},
    };
    for (const Case& c : cases) {
        log.lines.clear();
        EXPECT_EQ(c.call(), c.expected) << c.name;
        // DoRemoteInstall: once when resolved, once when called with nothing.
        ASSERT_FALSE(log.lines.empty()) << c.name;
        for (const auto& line : log.lines) EXPECT_EQ(line.text, std::string("Call ") + c.name + " ==> NULL");
    }
    EXPECT_EQ(count, 0);
}

class FakeLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* key : {"INSTALLER_DLL", "UTILITY_DLL", "NETWORKMAN_DLL", "PREINSTALLER_DLL",
                                "SETIP_DLL", "REMOTE_INSTALL_DLL"})
            source_.values[std::string("INSTALLER_FILE_INFO/") + key] = kFake;
        libs_.Load(source_.Get(), log_);
        ASSERT_TRUE(libs_.IsLoaded(ComponentLib::Installer)) << log_.All();
        log_.lines.clear();
    }
    FakeSource source_;
    CRecordingLog log_;
    CComponentLibs libs_;
};

TEST_F(FakeLibraryTest, FaultInsideALibraryCallIsReportedAndSurvived)
{
    EXPECT_EQ(libs_.MyInstall(0, "Software\\M\\P\\Installing", "Software\\M\\P\\Installing\\Items\\Drv", 0), 0);
    ASSERT_EQ(log_.lines.size(), 2u) << log_.All();
    EXPECT_EQ(log_.lines[0].text, "Call MyInstall(0,Software\\M\\P\\Installing,Software\\M\\P\\Installing\\Items\\Drv,0)");
    EXPECT_EQ(log_.lines[1].text, "Call MyInstall() ==> GPF!!!!");

    // The library and the gateway go on working.
    EXPECT_EQ(libs_.MyCreateShortCut(0, "Software\\M\\P\\Installing", "Software\\M\\P\\Installing\\Shortcut\\Doc"),
              int(strlen("Software\\M\\P\\Installing\\Shortcut\\Doc")));
    EXPECT_TRUE(log_.Contains("Call MyCreateShortCut(0,Software\\M\\P\\Installing,Software\\M\\P\\Installing\\Shortcut\\Doc)"));

    log_.lines.clear();
    EXPECT_EQ(libs_.Preinstall(nullptr, "/P x"), -1);  // divides by zero
    EXPECT_TRUE(log_.Contains("Call Preinstall() ==> GPF!!!!")) << log_.All();
}

TEST_F(FakeLibraryTest, AdvEntriesFallBackOrFailWithTheirOwnValues)
{
    // No SnmpDiscoveryAdv: the plain entry runs, with the callback and its context.
    std::vector<std::string> found;
    QV_SnmpCallback* cb = [](void* ctx, const char* name, const char*, const char*, const char*,
                             const char*) -> int {
        static_cast<std::vector<std::string>*>(ctx)->push_back(name);
        return 1;
    };
    EXPECT_EQ(libs_.SnmpDiscoveryAdv(cb, &found, "public"), 2);
    EXPECT_EQ(found, (std::vector<std::string>{"Printer A", "Printer B"}));
    EXPECT_TRUE(log_.Contains("Call SnmpDiscovery()"));

    // MyGetPrinterDescAdv faults: 1, and the plain entry is not tried.
    std::string desc = "stale";
    log_.lines.clear();
    EXPECT_EQ(libs_.MyGetPrinterDescAdv("127.0.0.2", desc, 1, "public"), 1);
    EXPECT_EQ(desc, "");
    EXPECT_EQ(log_.lines.back().text, "Call MyGetPrinterDescAdv() ==> GPF!!!!");
    EXPECT_EQ(libs_.MyGetPrinterDesc("127.0.0.2", desc), 0);
    EXPECT_EQ(desc, "MFG:M;MDL:X;");

    std::string ipx;
    EXPECT_EQ(libs_.MyGetIPXAdv("127.0.0.2", ipx, "public"), 0);
    EXPECT_EQ(ipx, "00000001:0011AABBCCDD");

    QV_NET_FILE_BLOCK files{};
    strcpy(files.monitor_file, "mon.dll");
    EXPECT_EQ(libs_.MySetNetworkPortAdv("IP_127.0.0.2", "127.0.0.2", "", "", "Mon", files, "mx", 0, "public"), 0);
    EXPECT_TRUE(log_.Contains("Call MySetNetworkPortAdv() ==> GPF!!!!"));
    EXPECT_EQ(libs_.MySetNetworkPortEx("IP_127.0.0.2", "127.0.0.2", "", "", "Mon", files, "mx", 0), 1);
    // Community names are never written to the log.
    EXPECT_FALSE(log_.ContainsPart("public"));
}

TEST_F(FakeLibraryTest, OutputBuffersAreBoundedAndTerminated)
{
    std::vector<std::string> ports;
    EXPECT_EQ(libs_.GetDevicePort("M", "X", "VID_1", ports), 2);
    EXPECT_EQ(ports, (std::vector<std::string>{"USB001", "USB002"}));
    EXPECT_TRUE(log_.Contains("Call GetDevicePort(M,X,VID_1)"));
    EXPECT_EQ(libs_.GetDevicePort("M", "X", "FULL", ports), 1);
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0], std::string(QV_PORT_LIST_SIZE, 'P'));

    std::string id;
    EXPECT_EQ(libs_.MyGetDeviceIDFromPort("USB001", id), 1);
    EXPECT_EQ(id, std::string(QV_DEVICE_ID_SIZE - 1, 'A'));

    int count = 0;
    EXPECT_EQ(libs_.GetNetPrinter(nullptr, 0, &count), 0);
    EXPECT_EQ(count, 3);
    std::vector<unsigned char> buf((2 * count + 256) * QV_NET_PRINTER_ENTRY, 0);
    EXPECT_EQ(libs_.GetNetPrinter(buf.data(), 2 * count + 256, &count), 0);
    EXPECT_EQ(count, 2 * 3 + 256);  // the library claimed 1000
    EXPECT_EQ(buf[QV_NET_PRINTER_ENTRY], 'b');
}

TEST_F(FakeLibraryTest, RemoteInstallIsBoundByItsWorkerAndKeepsThePasswordOutOfTheLog)
{
    QV_DoRemoteInstall* entry = libs_.ResolveDoRemoteInstall();
    ASSERT_NE(entry, nullptr);
    QV_REMOTE_INSTALL_RECORD record{};
    strcpy(record.computer, "PC-7");
    strcpy(record.user, "admin");
    strcpy(record.password, "s3cret");
    strcpy(record.command, "Setup.exe /Remote");
    EXPECT_EQ(libs_.DoRemoteInstall(entry, record), 7);
    EXPECT_TRUE(log_.Contains("Call DoRemoteInstall(PC-7)")) << log_.All();
    EXPECT_FALSE(log_.ContainsPart("s3cret"));
}

}  // namespace
