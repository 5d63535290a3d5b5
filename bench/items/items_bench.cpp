// Memory of a loaded product: a generated product of N items (default 100) in the temporary
// directory — printers found by search and named in their INF, scanners, utilities with a
// setup program, documents — is loaded with CItem, and the process's peak working set is
// printed next to what fixed half-megabyte items would take (N x 0.5 MB). Goal: at most
// 30 MB for 100 items. The product and its registry key are removed at the end.
//   items_bench [items]
#include "install/item.h"

#include "config/installer_vars.h"
#include "platform/unique_handle.h"
#include "platform/vars_platform_win.h"
#include "system/my_printer.h"
#include "system/registry.h"
#include "tests/support/disc_platform.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr const char* kProductKey = "Software\\Velmora\\QvItemsBench";

double now_seconds()
{
    LARGE_INTEGER frequency, count;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double megabytes(SIZE_T bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

PROCESS_MEMORY_COUNTERS memory()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

void write(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

void remove_tree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    unique_findfile find(::FindFirstFileA((dir + "\\*").c_str(), &found));
    if (find) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) remove_tree(path);
            else ::DeleteFileA(path.c_str());
        } while (::FindNextFileA(find.get(), &found));
    }
    ::RemoveDirectoryA(dir.c_str());
}

void make_dirs(const std::string& path)
{
    for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    ::CreateDirectoryA(path.c_str(), nullptr);
}

std::string printer_inf(const char* decoration)
{
    std::string inf = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Printer\r\n\r\n[Manufacturer]\r\n"
                      "\"Velmora\"=Velmora," + std::string(decoration) + "\r\n\r\n[Velmora." + decoration + "]\r\n";
    inf += "\"Velmora LX-200 PCL 6\" = LX200_PCL6\r\n\"Velmora LX-200 PS\" = LX200_PS\r\n";
    for (int i = 0; i < 20; ++i) inf += "\"Velmora LX-" + std::to_string(300 + i) + "\" = LX200_PCL6\r\n";
    inf += "\r\n[LX200_PCL6]\r\nInclude=ntprint.inf\r\nNeeds=UNIDRV.OEM\r\n\r\n[LX200_PS]\r\nInclude=ntprint.inf\r\n"
           "Needs=PSCRIPT.OEM\r\n";
    return inf;
}

// The product: root\Bench.dat with `count` items and the trees they are found in.
void make_product(const std::string& root, int count)
{
    remove_tree(root);
    for (const char* folder : {"VISTA", "VISTA_64", "WinXP_2000_VISTA_32", "WinXP_VISTA_64"}) {
        const std::string dir = root + "\\Printer\\" + folder + "\\English";
        make_dirs(dir);
        const bool is64 = std::string(folder).find("64") != std::string::npos;
        write(dir + "\\BENCH.INF", printer_inf(is64 ? "NTamd64" : "NTx86"));
    }
    make_dirs(root + "\\Scanner");
    write(root + "\\Scanner\\SCAN.INF", "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Image\r\n\r\n"
                                        "[Manufacturer]\r\n\"Velmora\"=Velmora,NTx86\r\n\r\n[Velmora.NTx86]\r\n"
                                        "\"Velmora LX-200 Scanner\" = SCAN\r\n\r\n[SCAN]\r\nInclude=sti.inf\r\n");
    make_dirs(root + "\\Utility");
    write(root + "\\Utility\\setup.exe", "stand-in");
    make_dirs(root + "\\data\\String");
    write(root + "\\data\\PrnInst.exe", "stand-in");
    write(root + "\\data\\ScanInst.exe", "stand-in");
    write(root + "\\data\\guide.htm", "<html></html>");
    write(root + "\\data\\qvinst.qvi", "[DLG_COMMON]\r\nCANCEL_TYPE = 0\r\n");
    write(root + "\\data\\qvinst.cmd", "[INST_END_CMD]\r\n");
    write(root + "\\data\\String\\Lang_EN.str", "[MESSAGES]\r\n");

    std::string dat =
        "[VERSION]\r\nVERSION = 1.0.0\r\n\r\n[PROGRAM_INFO]\r\nMFG = Velmora\r\nMDL = Velmora LX-200 Series\r\n"
        "VIDPID = VID_1F3A&PID_0200\r\nPROGRAM_NAME = QvItemsBench\r\n\r\n[INSTALLER_FILE_INFO]\r\n"
        "CONFIGURE_FILE = .\\data\\qvinst.qvi\r\nCOMMAND_FILE = .\\data\\qvinst.cmd\r\n"
        "STRING_FILE_FORMAT = .\\data\\String\\Lang_%s.str\r\n\r\n[OS_DEFINE]\r\n0X00020501 = WINXP\r\n"
        "0X00020502.64 = WINXP64\r\n0X00020600 = VISTA\r\n0X00020600.64 = VISTA64\r\n\r\n[OS_DIR]\r\n"
        "WINXP = WinXP_2000_VISTA_32\r\nWINXP64 = WinXP_VISTA_64\r\nVISTA = VISTA\r\nVISTA64 = VISTA_64\r\n\r\n"
        "[PROGRAM_LANG_INFO]\r\n0x0409 = English\r\n\r\n[ITEM_TYPE_INFO]\r\nTYPE_PRINTER\r\nTYPE_SCANNER\r\n\r\n"
        "[TYPE_PRINTER]\r\nCLASS = Printer\r\nINSTALLER = $SRC_DIR$\\data\\PrnInst.exe\r\nINST_PARAM = /S /I 0\r\n"
        "UNINST_PARAM = /S /U\r\n\r\n[TYPE_SCANNER]\r\nCLASS = Image\r\nINSTALLER = $SRC_DIR$\\data\\ScanInst.exe\r\n"
        "UNINST_PARAM = /U\r\n\r\n[ITEM_INFO]\r\n";
    for (int i = 0; i < count; ++i) dat += "ITEM_" + std::to_string(i) + "\r\n";
    for (int i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        dat += "\r\n[ITEM_" + n + "]\r\nDISPLAY_NAME = Item " + n + " %MODEL%\r\nDESCRIPTION = Component " + n +
               " of the benchmark product.\r\nTOOLTIP = Item " + n + "\r\nDEFAULT_INST_TYPE = CHK\r\n";
        switch (i % 5) {
        case 0:  // a printer found by search
            dat += "COMP_DIR = $SRC_DIR$\\Printer\r\nCOMP_CLASS = Printer\r\nCOMP_COPY_FILE = 1\r\n";
            break;
        case 1:  // a printer named in its INF
            dat += "COMP_DIR = $SRC_DIR$\\Printer\r\nINF_FILE = $SRC_DIR$\\Printer\\$OS_DIR$\\$LANG_DIR$\\BENCH.INF\r\n"
                   "DRIVER_NAME = Velmora LX-" + std::to_string(300 + i % 20) + "\r\n";
            break;
        case 2:  // a scanner
            dat += "COMP_DIR = $SRC_DIR$\\Scanner\r\nCOMP_CLASS = Image\r\n";
            break;
        case 3:  // a utility with its own setup program
            dat += "COMP_DIR = $SRC_DIR$\\Utility\r\nUNINST_KEY = BenchUtility" + n + "\r\n";
            break;
        default:  // a document
            dat += "INST_CMD = $SRC_DIR$\\data\\guide.htm\r\nINST_PARAM = /A\r\nINST_PARAM = /B\r\n";
            break;
        }
    }
    write(root + "\\Bench.dat", dat);
}

using ProductPlatform = CDiscPlatform;

}  // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 100;
    if (count <= 0) {
        std::fprintf(stderr, "usage: items_bench [items]\n");
        return 2;
    }
    char temp[MAX_PATH];
    ::GetTempPathA(sizeof temp, temp);
    const std::string root = std::string(temp) + "qv_items_bench";
    make_product(root, count);
    CRegistry::DeleteKey(kProductKey, false);

    const PROCESS_MEMORY_COUNTERS before = memory();
    CNullLog log;
    ProductPlatform platform(root + "\\Bench.exe");
    CInstallerVars vars(platform, log);
    if (!vars.Initialize()) {
        std::fprintf(stderr, "the variables could not be initialised over %s\n", root.c_str());
        return 1;
    }
    CMyPrinter table(log);
    CItem items(vars, log, &table);
    const double start = now_seconds();
    const bool ok = items.Init();
    const double seconds = now_seconds() - start;
    items.SetPrinterInfo(table);
    const PROCESS_MEMORY_COUNTERS after = memory();

    std::printf("items listed            : %d\n", count);
    std::printf("items loaded            : %d%s\n", items.GetCount(), ok ? "" : " (the list could not be read)");
    std::printf("load time               : %.2f s\n", seconds);
    std::printf("working set before load : %.1f MB\n", megabytes(before.WorkingSetSize));
    std::printf("working set after load  : %.1f MB\n", megabytes(after.WorkingSetSize));
    std::printf("private bytes           : %.1f MB (before %.1f MB)\n", megabytes(after.PagefileUsage),
                megabytes(before.PagefileUsage));
    std::printf("peak working set        : %.1f MB   (fixed items: %d x 0.5 MB = %.1f MB; goal <= 30 MB)\n",
                megabytes(after.PeakWorkingSetSize), count, count * 0.5);

    const bool all_loaded = ok && items.GetCount() == count;
    items.Clear();
    CRegistry::DeleteKey(kProductKey, false);
    remove_tree(root);
    return all_loaded ? 0 : 1;
}
