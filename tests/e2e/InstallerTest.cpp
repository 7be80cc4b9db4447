// The installer end to end: the builder makes installers, the installers run
// in their own processes and are driven through their windows.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "rtl/core/Streams.h"
#include "rtl/win32/Dialogs.h"
#include "setup/SetupControlIds.h"
#include "setup/core/ContainerWriter.h"
#include "setup/core/SetupList.h"
#include "tools/driver/SetupDriver.h"

namespace {

// Build paths come in as host paths; Wine shows the host's root as Z:.
std::string HostToWindows(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (auto& c : path)
    if (c == '/') c = '\\';
  return path;
}

const std::string kRuntime = HostToWindows(ORV_SETUP_EXE);
const std::string kBuilder = HostToWindows(ORV_SETUPBUILD_EXE);
const std::string kMarker = HostToWindows(ORV_MARKER_EXE);

bool German() {
  char value[16] = {};
  ::GetEnvironmentVariableA("ORV_EXPECT_LANGUAGE", value, sizeof value);
  return std::string(value) == "German";
}

std::string Pick(const std::string& english, const std::string& german) { return German() ? german : english; }

std::string TempPath() {
  char buffer[MAX_PATH + 1] = {};
  ::GetTempPathA(MAX_PATH + 1, buffer);
  return buffer;
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

bool Exists(const std::string& name) { return ::GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Deletes Folder (ending in "\\") with everything in it.
void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = ::FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(folder + name + "\\");
      else ::DeleteFileA((folder + name).c_str());
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryA(folder.c_str());
}

bool WaitForFile(const std::string& name, DWORD timeout) {
  for (DWORD waited = 0; waited < timeout; waited += 50) {
    if (Exists(name)) return true;
    ::Sleep(50);
  }
  return false;
}

// The setup lists (".~lst") in the temporary folder, the copies that
// installers read.
std::vector<std::string> ListCopies() {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((TempPath() + "*.~lst").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return names;
}

// Puts Target (an existing folder) into the folder field and presses OK;
// returns the message that follows, the count, or null when none came.
HWND StartInstall(SetupProcess& setup, const std::string& target) {
  SetWindowTextTo(setup.Control(idEdit1), target);
  setup.Click(setup.MainWindow(), idBitBtn1);
  return setup.WaitForWindow(rtl::kMessageFormClass);
}

// ... and answers the count message, which must read Count, and waits for
// the installer's end.
void InstallAndClose(SetupProcess& setup, const std::string& target, const std::string& count) {
  HWND box = StartInstall(setup, target);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(count, WindowText(::GetDlgItem(box, rtl::kMessageTextID)));
  Answer(box, IDOK);
  EXPECT_TRUE(setup.WaitForExit());
}

int CountFiles(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = ::FindFirstFileA((folder + "*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
  } while (::FindNextFileA(find, &data));
  ::FindClose(find);
  return count;
}

struct NotepadSearch {
  std::string title;
  HWND found;
};

BOOL CALLBACK FindNotepadWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<NotepadSearch*>(param);
  char name[32] = {};
  ::GetClassNameA(window, name, sizeof name);
  if (lstrcmpA(name, "Notepad") != 0 || WindowText(window).find(search->title) == std::string::npos) return TRUE;
  search->found = window;
  return FALSE;
}

// Finds the editor showing Title, closes it and waits until it has ended.
bool CloseNotepadShowing(const std::string& title) {
  NotepadSearch search{title, nullptr};
  for (int i = 0; i < 200 && !search.found; ++i) {
    ::EnumWindows(&FindNotepadWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.found) ::Sleep(50);
  }
  if (!search.found) return false;
  DWORD pid = 0;
  ::GetWindowThreadProcessId(search.found, &pid);
  HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  ::PostMessageA(search.found, WM_CLOSE, 0, 0);
  if (process) {
    if (::WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) ::TerminateProcess(process, 0);
    ::CloseHandle(process);
  }
  return true;
}

// True when the process runs elevated beside a limited token of its user,
// as Wine starts every program.
bool HasMoreRights(DWORD processId) {
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  HANDLE token = nullptr;
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  if (process && ::OpenProcessToken(process, TOKEN_QUERY, &token)) {
    ::GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size);
    ::CloseHandle(token);
  }
  if (process) ::CloseHandle(process);
  return type == TokenElevationTypeFull;
}

// Points the ".txt" file type at Program while it lives. Any program of the
// user can do that with the user's own file types, which Windows prefers
// to the machine's; Wine reads the machine's alone, so those are changed
// here, and put back.
class TextFileTypeOf {
public:
  explicit TextFileTypeOf(const std::string& program) {
    char previous[256] = {};
    LONG size = sizeof previous;
    if (::RegQueryValueA(HKEY_CLASSES_ROOT, ".txt", previous, &size) == ERROR_SUCCESS) FPrevious = previous;
    const std::string command = "\"" + program + "\" \"%1\"";
    ::RegSetValueA(HKEY_CLASSES_ROOT, kClass, REG_SZ, "", 0);
    ::RegSetValueA(HKEY_CLASSES_ROOT, (std::string(kClass) + "\\shell\\open\\command").c_str(), REG_SZ,
                   command.c_str(), static_cast<DWORD>(command.size()));
    ::RegSetValueA(HKEY_CLASSES_ROOT, ".txt", REG_SZ, kClass, static_cast<DWORD>(std::strlen(kClass)));
  }
  ~TextFileTypeOf() {
    ::RegSetValueA(HKEY_CLASSES_ROOT, ".txt", REG_SZ, FPrevious.c_str(), static_cast<DWORD>(FPrevious.size()));
    for (const char* sub : {"\\shell\\open\\command", "\\shell\\open", "\\shell", ""})
      ::RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kClass) + sub).c_str());
  }
  TextFileTypeOf(const TextFileTypeOf&) = delete;
  TextFileTypeOf& operator=(const TextFileTypeOf&) = delete;

private:
  static constexpr const char* kClass = "OrvandelTestTextFile";
  std::string FPrevious = "txtfile";
};

class Installer : public ::testing::Test {
protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    work = TempPath() + "orv_e2e_" + std::to_string(::GetCurrentProcessId()) + "_" + info->name() + "\\";
    // Wine hands out the same small process numbers again in a later run of
    // the same prefix, so a folder of that name may be left from then.
    RemoveTree(work);
    ::CreateDirectoryA(work.c_str(), nullptr);
    payload = work + "payload\\";
    ::CreateDirectoryA(payload.c_str(), nullptr);
    std::mt19937 rng(5);
    binary.resize(300000);
    for (auto& c : binary) c = static_cast<char>(rng());
    WriteFile(payload + "data.bin", binary);
    WriteFile(payload + "empty.dat", "");
    WriteFile(payload + "readme.txt", "Read me first.\r\n");
    ::CopyFileA(kMarker.c_str(), (payload + "marker.exe").c_str(), FALSE);
  }

  std::string Build(const std::string& options, const std::string& out = std::string()) {
    return BuildTo(out.empty() ? work + "setup-under-test.exe" : out, options);
  }

  std::string BuildTo(const std::string& out, const std::string& options) {
    const std::string command = "\"" + kBuilder + "\" \"" + kRuntime + "\" \"" + out + "\" " + options;
    const DWORD code = RunAndWait(command);
    EXPECT_EQ(0u, code) << command;
    return out;
  }

  std::string StandardOptions(const std::string& target) {
    return "--title \"E2E Setup\" --path \"" + target + "\" --info \"Installs the test files.\" "
           "--autostart marker.exe --readme \"" + payload + "readme.txt\" \"" + payload + "data.bin\" \"" +
           payload + "empty.dat\" \"" + payload + "marker.exe\"";
  }

  std::string work, payload, binary;
};

}  // namespace

TEST_F(Installer, InstallsCreatesTheFolderStartsTheProgramAndShowsTheReadme) {
  const std::string target = work + "target\\sub";
  const std::string exe = Build(StandardOptions(target));
  ::DeleteFileA((TempPath() + "readme.txt").c_str());

  SetupProcess setup(exe);
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ("E2E Setup", WindowText(main));
  EXPECT_EQ(target, WindowText(setup.Control(idEdit1)));
  EXPECT_EQ("Installs the test files.", WindowText(setup.Control(idMemo1)));
  EXPECT_EQ(Pick("Target fol&der:", "Zielor&dner:"), WindowText(setup.Control(idLabel1)));
  EXPECT_EQ(Pick("Autorun marker.exe", "marker.exe automatisch ausführen"), WindowText(setup.Control(idCheckBox2)));
  EXPECT_EQ(Pick("&Exit", "B&eenden"), WindowText(setup.Control(idBitBtn2)));
  EXPECT_TRUE(::IsWindowEnabled(setup.Control(idBitBtn1)));
  EXPECT_FALSE(::IsWindowVisible(setup.Control(idImage1))) << "not marked as compressed";

  // The readme is written to the temporary folder and opened at start-up.
  EXPECT_EQ("Read me first.\r\n", ReadFile(TempPath() + "readme.txt"));
  EXPECT_TRUE(CloseNotepadShowing("readme")) << "the readme is opened";

  setup.Click(main, idBitBtn1);
  HWND question = setup.WaitForWindow(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, question);
  EXPECT_EQ("Bestätigung", WindowText(question));
  EXPECT_EQ(Pick("The folder does not exist! Will you create the folder?",
                 "Der Ordner existiert nicht! Soll der Ordner erstellt werden?"),
            WindowText(::GetDlgItem(question, rtl::kMessageTextID)));
  EXPECT_EQ("&Ja", WindowText(::GetDlgItem(question, IDYES)));
  EXPECT_EQ("&Nein", WindowText(::GetDlgItem(question, IDNO)));
  Answer(question, IDYES);

  HWND count = setup.WaitForWindow(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, count);
  EXPECT_EQ("Informationen", WindowText(count));
  EXPECT_EQ(Pick("3 files copied.", "Es wurden 3 Dateien kopiert."), WindowText(::GetDlgItem(count, rtl::kMessageTextID)));
  EXPECT_EQ("OK", WindowText(::GetDlgItem(count, IDOK)));
  Answer(count, IDOK);

  ASSERT_TRUE(setup.WaitForExit()) << "closes when finished";
  EXPECT_EQ(0u, setup.ExitCode()) << "installed";
  const std::string folder = target + "\\";
  EXPECT_EQ(binary, ReadFile(folder + "data.bin"));
  EXPECT_TRUE(Exists(folder + "empty.dat"));
  EXPECT_EQ("", ReadFile(folder + "empty.dat"));
  EXPECT_EQ(ReadFile(kMarker), ReadFile(folder + "marker.exe"));
  EXPECT_FALSE(Exists(folder + "readme.force")) << "the readme is not installed";
  EXPECT_FALSE(Exists(folder + "Setup.~lst"));
  EXPECT_TRUE(WaitForFile(folder + "autostart.marker", 15000)) << "the AutoStart program ran in the target folder";
}

TEST_F(Installer, ListRewrittenWhileTheWindowWaitsChangesNothing) {
  const std::string exe = Build("--title Original --autostart marker.exe \"" + payload + "marker.exe\" \"" + payload +
                                "data.bin\"");
  const std::string target = work + "rewritten\\";
  ::CreateDirectoryA(target.c_str(), nullptr);
  SetupProcess setup(exe);
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ("Original", WindowText(main));
  EXPECT_EQ(std::vector<std::string>(), ListCopies()) << "the copy that was read is gone";

  // Another program of the user writes a list of its own where the
  // installer kept its list, and over every copy there is: nothing to
  // start afterwards.
  SetupListOptions other;
  other.Title = "Rewritten";
  std::vector<std::string> names = ListCopies();
  names.push_back("Setup.~lst");
  for (const auto& name : names) WriteFile(TempPath() + name, BuildSetupList(other));
  InstallAndClose(setup, target, Pick("2 files copied.", "Es wurden 2 Dateien kopiert."));
  EXPECT_TRUE(WaitForFile(target + "autostart.marker", 15000)) << "the program of the list that start-up read";
  ::DeleteFileA((TempPath() + "Setup.~lst").c_str());
}

TEST_F(Installer, TwoInstallersAtOnceKeepTheirOwnLists) {
  const std::string first =
      BuildTo(work + "first.exe", "--title First --autostart marker.exe \"" + payload + "marker.exe\"");
  const std::string second =
      BuildTo(work + "second.exe", "--title Second --path \"" + work + "second\" \"" + payload + "data.bin\"");
  SetupProcess one(first);
  HWND mainOne = one.MainWindow();
  ASSERT_NE(nullptr, mainOne);
  {
    // The second one starts, shows its own list and ends while the first
    // one waits.
    SetupProcess two(second);
    HWND mainTwo = two.MainWindow();
    ASSERT_NE(nullptr, mainTwo);
    EXPECT_EQ("Second", WindowText(mainTwo));
    EXPECT_EQ(work + "second", WindowText(two.Control(idEdit1)));
    two.Click(mainTwo, idBitBtn2);
    EXPECT_TRUE(two.WaitForExit());
  }
  EXPECT_EQ("First", WindowText(mainOne));
  const std::string target = work + "first\\";
  ::CreateDirectoryA(target.c_str(), nullptr);
  InstallAndClose(one, target, Pick("1 files copied.", "Es wurden 1 Dateien kopiert."));
  EXPECT_TRUE(WaitForFile(target + "autostart.marker", 15000)) << "the first one still starts its own program";
}

TEST_F(Installer, LockedFolderCannotBeChanged) {
  const std::string exe = Build("--locked --compressed --title Locked --path \"%TEMP%LockedApp\" \"" + payload + "data.bin\"");
  SetupProcess setup(exe);
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ("Locked", WindowText(main));
  EXPECT_EQ(TempPath() + "LockedApp", WindowText(setup.Control(idEdit1)));
  EXPECT_TRUE(::GetWindowLongA(setup.Control(idEdit1), GWL_STYLE) & ES_READONLY);
  EXPECT_TRUE(::IsWindowEnabled(setup.Control(idBitBtn1)));
  EXPECT_FALSE(::IsWindowEnabled(setup.Control(idSpeedButton1)));
  EXPECT_TRUE(::IsWindowVisible(setup.Control(idImage1))) << "marked as compressed";
  EXPECT_FALSE(::IsWindowVisible(setup.Control(idCheckBox2))) << "no AutoStart program";
  EXPECT_TRUE(setup.WaitForFocus(setup.Control(idBitBtn1))) << "OK has the focus, so Space installs; it is on " << ::GetDlgCtrlID(setup.Focus());

  // The info dialog names the runtime's file version.
  setup.Click(main, idBitBtn3);
  HWND infos = setup.WaitForWindow(kInfosFormClass);
  ASSERT_NE(nullptr, infos);
  EXPECT_EQ("Info", WindowText(infos));
  EXPECT_EQ("Setup 2.0.0.0", WindowText(::GetDlgItem(infos, idInfoLabel1)));
  EXPECT_EQ(Pick("Created with Kavarro Builder", "Erstellt mit Kavarro Builder"),
            WindowText(::GetDlgItem(infos, idInfoLabel2)));
  Answer(infos, idInfoBitBtn1);
  EXPECT_FALSE(::IsWindowVisible(infos));

  setup.Click(main, idBitBtn2);
  EXPECT_TRUE(setup.WaitForExit());
}

TEST_F(Installer, DamagedInstallerSaysSoAndInstallsNothing) {
  const std::string good = ReadFile(Build(StandardOptions(work + "never")));
  std::string changed = good;
  // One byte in the middle of data.bin's bytes.
  const size_t at = changed.find(binary.substr(1000, 64));
  ASSERT_NE(std::string::npos, at);
  changed[at + 10] = static_cast<char>(changed[at + 10] ^ 0x40);
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"a byte changed on the way", changed},
      {"a download cut short", good.substr(0, good.size() - 100000)},
      {"cut inside the container's last bytes", good.substr(0, good.size() - 3)},
  };
  const std::string exe = work + "damaged.exe";
  for (const auto& c : cases) {
    WriteFile(exe, c.bytes);
    SetupProcess setup(exe);
    HWND box = setup.WaitForWindow(rtl::kMessageFormClass);
    ASSERT_NE(nullptr, box) << c.what;
    EXPECT_EQ("Fehler", WindowText(box)) << c.what;
    EXPECT_EQ(Pick("This installer is damaged: its contents are not as they were made. It installs nothing; please "
                   "get a new copy of it.",
                   "Dieses Installationsprogramm ist beschädigt: sein Inhalt ist nicht mehr, wie er erstellt wurde. "
                   "Es installiert nichts; bitte besorgen Sie eine neue Kopie."),
              WindowText(::GetDlgItem(box, rtl::kMessageTextID)))
        << c.what;
    EXPECT_EQ(nullptr, FindProcessWindow(setup.ProcessId(), "TMain", true)) << "no window offers to install; " << c.what;
    Answer(box, IDOK);
    ASSERT_TRUE(setup.WaitForExit()) << c.what;
    EXPECT_EQ(2u, setup.ExitCode()) << c.what;
  }
  EXPECT_FALSE(Exists(work + "never"));

  // The runtime without any container opens its window, as always.
  SetupProcess bare(kRuntime);
  HWND main = bare.MainWindow();
  ASSERT_NE(nullptr, main) << "the runtime alone is not damaged";
  EXPECT_EQ(TempPath(), WindowText(bare.Control(idEdit1)));
  bare.Click(main, idBitBtn2);
  EXPECT_TRUE(bare.WaitForExit());
}

TEST_F(Installer, InstallerChangedAfterStartInstallsNothing) {
  // The running installer's file is held: it cannot be renamed, as Windows
  // would otherwise allow. Its folder can still be moved away (under Wine
  // at least), and another file take its place: a damaged copy of it, or
  // another installer that checks out. Neither may be installed from.
  WriteFile(payload + "other.bin", "another installer's file");
  const std::string other = Build("--title Other \"" + payload + "other.bin\"", work + "other.exe");
  for (const bool damaged : {true, false}) {
    const std::string folder = work + (damaged ? "damaged" : "replaced");
    const std::string home = folder + "\\";
    ::CreateDirectoryA(home.c_str(), nullptr);
    const std::string target = home + "target";
    const std::string exe =
        Build("--title Mine --path \"" + target + "\" \"" + payload + "data.bin\"", home + "setup.exe");
    SetupProcess setup(exe);
    HWND main = setup.MainWindow();
    ASSERT_NE(nullptr, main) << damaged;
    EXPECT_FALSE(::MoveFileA(exe.c_str(), (home + "renamed.exe").c_str())) << "held against renaming; " << damaged;
    ASSERT_TRUE(::MoveFileA(folder.c_str(), (folder + ".moved").c_str())) << damaged;
    ::CreateDirectoryA(home.c_str(), nullptr);
    std::string bytes = ReadFile(damaged ? folder + ".moved\\setup.exe" : other);
    if (damaged) bytes[bytes.size() - 50] = static_cast<char>(bytes[bytes.size() - 50] ^ 1);
    WriteFile(exe, bytes);

    setup.Click(main, idBitBtn1);
    HWND error = setup.WaitForWindow(rtl::kMessageFormClass);
    ASSERT_NE(nullptr, error) << damaged;
    EXPECT_EQ("Fehler", WindowText(error)) << "not the folder question; " << damaged;
    EXPECT_EQ(0u, WindowText(::GetDlgItem(error, rtl::kMessageTextID)).find("This installer is damaged")) << damaged;
    Answer(error, IDOK);
    EXPECT_FALSE(Exists(target)) << "nothing copied, no folder made; " << damaged;
    setup.Click(main, idBitBtn2);
    EXPECT_TRUE(setup.WaitForExit()) << damaged;
  }
}

TEST_F(Installer, FocusAtStartAfterAMessageBoxAndInTheInfoDialog) {
  const std::string exe = Build("--title Focus --path \"" + work + "not\\there\" \"" + payload + "data.bin\"");
  SetupProcess setup(exe);
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  HWND edit = setup.Control(idEdit1);
  EXPECT_TRUE(setup.WaitForFocus(edit)) << "the folder field has the focus at start";

  setup.Click(main, idBitBtn1);
  HWND question = setup.WaitForWindow(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, question);
  EXPECT_TRUE(setup.WaitForFocus(::GetDlgItem(question, IDYES)));
  Answer(question, IDNO);
  EXPECT_TRUE(setup.WaitForFocus(edit)) << "back in the folder field after the question";

  // The info dialog, twice, with the main window moved in between: centred
  // over it and with the focus on OK at every opening.
  for (int opening = 0; opening < 2; ++opening) {
    ::SetWindowPos(main, nullptr, 40 + 200 * opening, 30 + 100 * opening, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    setup.Click(main, idBitBtn3);
    HWND infos = setup.WaitForWindow(kInfosFormClass);
    ASSERT_NE(nullptr, infos) << opening;
    EXPECT_TRUE(setup.WaitForFocus(::GetDlgItem(infos, idInfoBitBtn1))) << opening;
    RECT m, i;
    ::GetWindowRect(main, &m);
    ::GetWindowRect(infos, &i);
    EXPECT_NEAR((m.left + m.right) / 2, (i.left + i.right) / 2, 1) << opening;
    EXPECT_NEAR((m.top + m.bottom) / 2, (i.top + i.bottom) / 2, 1) << opening;
    Answer(infos, idInfoBitBtn1);
    EXPECT_TRUE(setup.WaitForFocus(edit)) << "back in the folder field after the info dialog " << opening;
  }
  EXPECT_FALSE(Exists(work + "not")) << "No to the question creates nothing";
  setup.Click(main, idBitBtn2);
  EXPECT_TRUE(setup.WaitForExit());
}

TEST_F(Installer, WithoutPathProposesTheTemporaryFolderAndInstallsNamesWithDots) {
  WriteFile(payload + "notes..txt", "notes");
  const std::string exe = Build("--title Plain \"" + payload + "notes..txt\" \"" + payload + "data.bin\"");
  SetupProcess setup(exe);
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ(TempPath(), WindowText(setup.Control(idEdit1)));
  EXPECT_TRUE(::IsWindowEnabled(setup.Control(idBitBtn1)));

  const std::string target = work + "plain\\";
  ::CreateDirectoryA(target.c_str(), nullptr);
  SetWindowTextTo(setup.Control(idEdit1), target);
  setup.Click(main, idBitBtn1);
  HWND count = setup.WaitForWindow(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, count);
  EXPECT_EQ(Pick("2 files copied.", "Es wurden 2 Dateien kopiert."), WindowText(::GetDlgItem(count, rtl::kMessageTextID)));
  Answer(count, IDOK);
  EXPECT_TRUE(setup.WaitForExit());
  EXPECT_EQ("notes", ReadFile(target + "notes..txt"));
  EXPECT_EQ(binary, ReadFile(target + "data.bin"));
}

TEST_F(Installer, TargetFolderAsLongAsTheFinalNamesAllow) {
  // The folder and "\\data.bin" make 259 characters, the longest path the
  // system takes: the final name fits, and so must every scratch name.
  const std::string exe = Build("\"" + payload + "data.bin\"");
  std::string target = work + "long";
  ASSERT_TRUE(::CreateDirectoryA(target.c_str(), nullptr));
  while (target.size() + 9 < 259) {
    // A backslash and a name of at most 99 characters at a time; never a
    // last step of the backslash alone.
    const size_t room = 259 - 9 - target.size();
    const size_t step = room > 100 ? (room == 101 ? 50 : 100) : room;
    target += "\\" + std::string(step - 1, 'd');
    ASSERT_TRUE(::CreateDirectoryA(target.c_str(), nullptr)) << target.size();
  }
  ASSERT_EQ(259u, target.size() + 9);
  // An install that was ended midway left a scratch file; a folder bears
  // the first scratch name.
  WriteFile(target + "\\~0000001", "left over");
  ASSERT_TRUE(::CreateDirectoryA((target + "\\~0000000").c_str(), nullptr));

  SetupProcess setup(exe);
  ASSERT_NE(nullptr, setup.MainWindow());
  InstallAndClose(setup, target, Pick("1 files copied.", "Es wurden 1 Dateien kopiert."));
  EXPECT_EQ(binary, ReadFile(target + "\\data.bin"));
  EXPECT_EQ(1, CountFiles(target + "\\")) << "no scratch file left, the old one swept";
}

TEST_F(Installer, HostileNameWritesNothing) {
  // The builder refuses such names, so this container is made by hand.
  SetupListOptions list;
  list.Title = "Hostile";
  list.Path = work + "target";
  const std::string listText = BuildSetupList(list);
  rtl::TMemoryStream listStream, good, evil;
  listStream.WriteBuffer(listText.data(), static_cast<std::int32_t>(listText.size()));
  good.WriteBuffer("good", 4);
  evil.WriteBuffer("evil", 4);
  const std::string exe = work + "hostile-setup.exe";
  ASSERT_TRUE(::CopyFileA(kRuntime.c_str(), exe.c_str(), FALSE));
  {
    rtl::TFileStream out(exe, rtl::FileStreamMode::OpenReadWrite);
    out.Seek(0, rtl::SeekOrigin::End);
    WriteContainer(out, {{0, kSetupListName, &listStream}, {1, "good.txt", &good}, {2, "..\\evil.txt", &evil}});
  }
  const std::string target = work + "target\\";

  SetupProcess setup(exe);
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ("Hostile", WindowText(main));
  setup.Click(main, idBitBtn1);
  HWND error = setup.WaitForWindow("#32770");
  ASSERT_NE(nullptr, error) << "the refusal is reported";
  EXPECT_EQ(nullptr, FindProcessWindow(setup.ProcessId(), rtl::kMessageFormClass, true))
      << "refused before the folder question";
  const std::string text = WindowText(::GetDlgItem(error, 0xFFFF));
  EXPECT_NE(std::string::npos, text.find("..\\evil.txt")) << text;
  EXPECT_NE(std::string::npos, text.find(Pick("folder separator", "Ordnertrennzeichen"))) << text;
  EXPECT_EQ(German(), text.find("separator") == std::string::npos) << "one language throughout: " << text;
  Answer(error, IDOK);
  EXPECT_FALSE(Exists(target)) << "no folder made";
  EXPECT_FALSE(Exists(work + "evil.txt"));
  EXPECT_NE(nullptr, setup.MainWindow()) << "the window stays";
  setup.Click(main, idBitBtn2);
  EXPECT_TRUE(setup.WaitForExit());
}

TEST_F(Installer, HostileAutoStartStartsNothing) {
  // The builder refuses both, so these containers are made by hand. A
  // marker program waits beside the target folder.
  const std::string target = work + "target\\";
  ASSERT_TRUE(::CopyFileA(kMarker.c_str(), (work + "marker.exe").c_str(), FALSE));
  const struct {
    const char* autoStart;
    std::string reason;
  } cases[] = {
      {"..\\marker.exe", Pick("it contains a folder separator", "er enthält ein Ordnertrennzeichen")},
      {"other.exe", Pick("but installs no file of that name", "installiert aber keine Datei dieses Namens")},
  };
  for (const auto& c : cases) {
    SetupListOptions list;
    list.Title = "Hostile";
    list.Path = target;
    list.AutoStart = c.autoStart;
    const std::string listText = BuildSetupList(list);
    rtl::TMemoryStream listStream;
    listStream.WriteBuffer(listText.data(), static_cast<std::int32_t>(listText.size()));
    rtl::TFileStream marker(kMarker, rtl::FileStreamMode::OpenRead);
    const std::string exe = work + "hostile-setup.exe";
    ASSERT_TRUE(::CopyFileA(kRuntime.c_str(), exe.c_str(), FALSE));
    {
      rtl::TFileStream out(exe, rtl::FileStreamMode::OpenReadWrite);
      out.Seek(0, rtl::SeekOrigin::End);
      WriteContainer(out, {{0, kSetupListName, &listStream}, {1, "marker.exe", &marker}});
    }

    SetupProcess setup(exe);
    HWND main = setup.MainWindow();
    ASSERT_NE(nullptr, main) << c.autoStart;
    setup.Click(main, idBitBtn1);
    HWND error = setup.WaitForWindow("#32770");
    ASSERT_NE(nullptr, error) << "the refusal is reported; " << c.autoStart;
    const std::string text = WindowText(::GetDlgItem(error, 0xFFFF));
    EXPECT_NE(std::string::npos, text.find(std::string("\"") + c.autoStart + "\"")) << text;
    EXPECT_NE(std::string::npos, text.find(c.reason)) << text;
    Answer(error, IDOK);
    setup.Click(main, idBitBtn2);
    EXPECT_TRUE(setup.WaitForExit()) << c.autoStart;
    EXPECT_FALSE(Exists(target)) << "nothing installed, nothing started; " << c.autoStart;
  }
}

TEST_F(Installer, ProgramChangedAfterItWasInstalledIsNotStarted) {
  // While the count message waits for the user, another program puts a
  // program of its own in place of the installed one.
  const std::string exe = Build("--autostart marker.exe \"" + payload + "marker.exe\"");
  const std::string target = work + "swapped\\";
  ::CreateDirectoryA(target.c_str(), nullptr);
  SetupProcess setup(exe);
  ASSERT_NE(nullptr, setup.MainWindow());
  HWND count = StartInstall(setup, target);
  ASSERT_NE(nullptr, count);
  ASSERT_EQ(ReadFile(kMarker), ReadFile(target + "marker.exe"));
  WriteFile(target + "marker.exe", ReadFile(kMarker) + "another program");
  Answer(count, IDOK);

  HWND refusal = setup.WaitForWindow(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, refusal);
  EXPECT_EQ(Pick("marker.exe was not started: another program changed or removed it after it was installed.",
                 "marker.exe wurde nicht gestartet: ein anderes Programm hat es nach der Installation geändert oder "
                 "entfernt."),
            WindowText(::GetDlgItem(refusal, rtl::kMessageTextID)));
  Answer(refusal, IDOK);
  EXPECT_TRUE(setup.WaitForExit());
  ::Sleep(1000);
  EXPECT_FALSE(Exists(target + "autostart.marker"));
}

TEST_F(Installer, WithMoreRightsTheUsersFileTypesChooseNothing) {
  // Another program of the user points the ".txt" file type at a program of
  // its own. The readme and the document to open afterwards are both
  // ".txt" files.
  ASSERT_TRUE(::CopyFileA(kMarker.c_str(), (work + "handler.exe").c_str(), FALSE));
  TextFileTypeOf hijack(work + "handler.exe");
  WriteFile(payload + "notes.txt", "notes");
  const std::string exe = Build("--autostart notes.txt --readme \"" + payload + "readme.txt\" \"" + payload + "notes.txt\"");
  ::DeleteFileA((TempPath() + "readme.txt").c_str());
  SetupProcess setup(exe);
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  if (!HasMoreRights(setup.ProcessId())) GTEST_SKIP() << "the installer runs with the rights of the user's programs";
  EXPECT_TRUE(CloseNotepadShowing("readme")) << "the system's own Notepad shows the readme";

  const std::string target = work + "documents\\";
  ::CreateDirectoryA(target.c_str(), nullptr);
  HWND count = StartInstall(setup, target);
  ASSERT_NE(nullptr, count);
  Answer(count, IDOK);
  HWND warning = setup.WaitForWindow(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, warning) << "the document is not opened, and the installer says so";
  EXPECT_EQ("Warnung", WindowText(warning));
  EXPECT_EQ(0u, WindowText(::GetDlgItem(warning, rtl::kMessageTextID)).find("notes.txt was not opened"));
  Answer(warning, IDOK);
  EXPECT_TRUE(setup.WaitForExit());
  ::Sleep(1000);
  EXPECT_FALSE(Exists(target + "autostart.marker")) << "the user's file type started nothing";
}

TEST_F(Installer, TwoThousandFilesAndTheReadmeIsShown) {
  // Their "Files" keys pass what a key list of 16 KiB holds, and the
  // readme's key comes last.
  const std::string many = work + "many\\";
  ::CreateDirectoryA(many.c_str(), nullptr);
  std::string names;
  for (int i = 0; i < 2000; ++i) {
    const std::string name = "f" + std::to_string(i);
    WriteFile(many + name, name);
    names += " " + name;
  }
  // Relative names, from their folder: two thousand full paths would pass
  // the 32 KiB that a command line holds.
  const std::string exe = work + "many-setup.exe";
  ASSERT_EQ(0u, RunAndWait("\"" + kBuilder + "\" \"" + kRuntime + "\" \"" + exe + "\" --readme \"" + payload +
                               "readme.txt\"" + names,
                           120000, many));
  ::DeleteFileA((TempPath() + "readme.txt").c_str());
  SetupProcess setup(exe);
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_TRUE(CloseNotepadShowing("readme")) << "the readme is shown";
  EXPECT_EQ("Read me first.\r\n", ReadFile(TempPath() + "readme.txt"));
  setup.Click(main, idBitBtn2);
  EXPECT_TRUE(setup.WaitForExit());
}

TEST_F(Installer, BuilderRefusesBadInputAndWritesNothing) {
  WriteFile(payload + "notes.readme.force", "not the readme");
  const std::string out = work + "refused.exe";
  const std::string base = "\"" + kBuilder + "\" \"" + kRuntime + "\" \"" + out + "\" ";
  const struct {
    const char* what;
    std::string args;
    DWORD code;
  } cases[] = {
      {"missing file", "\"" + payload + "nothing.bin\"", 1},
      {"same bare name twice", "\"" + payload + "data.bin\" \"" + work + "payload\\..\\payload\\data.bin\"", 1},
      {"reserved device name", "\"" + payload + "empty.dat\" \"" + payload + "..\\CON.txt\"", 1},
      {"info with a leading blank", "--info \" padded\" \"" + payload + "data.bin\"", 1},
      // Scrambled, these start or end with a character that the setup
      // list's reader cuts off, and would come back garbled.
      {"title that scrambles badly", "--title \"\xBBx\" \"" + payload + "data.bin\"", 1},
      {"title \"\xA7 Tools\"", "--title \"\xA7 Tools\" \"" + payload + "data.bin\"", 1},
      {"path \"\xB5Tools\"", "--path \"\xB5Tools\" \"" + payload + "data.bin\"", 1},
      {"program to start outside the folder", "--autostart ..\\x.exe \"" + payload + "marker.exe\"", 1},
      {"program to start that is not installed", "--autostart other.exe \"" + payload + "marker.exe\"", 1},
      {"program to start that is the readme",
       "--autostart readme.force --readme \"" + payload + "readme.txt\" \"" + payload + "marker.exe\"", 1},
      {"a second file that marks the readme",
       "--readme \"" + payload + "readme.txt\" \"" + payload + "notes.readme.force\"", 1},
      {"no output named", "", 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.code, RunAndWait(c.code == 2 ? "\"" + kBuilder + "\"" : base + c.args)) << c.what;
    EXPECT_FALSE(Exists(out)) << c.what;
    EXPECT_FALSE(Exists(out + ".part")) << c.what;
    ::DeleteFileA(out.c_str());
  }
}

TEST(InstallerManifest, AsksForTheHighestRightsTheUserHas) {
  // With the installer detection off, only the manifest can bring the
  // elevation prompt that an install under the programs folder needs.
  HMODULE image = ::LoadLibraryExA(kRuntime.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(nullptr, image);
  HRSRC found = ::FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
  ASSERT_NE(nullptr, found);
  const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(image, found)));
  const std::string manifest(bytes, ::SizeofResource(image, found));
  ::FreeLibrary(image);
  EXPECT_NE(std::string::npos, manifest.find("level=\"highestAvailable\"")) << manifest;
  EXPECT_NE(std::string::npos, manifest.find("Microsoft.Windows.Common-Controls")) << manifest;
}

// Started with options, the installer ends with its exit code and at most
// one line on the standard error that its starter handed over.
class SilentInstaller : public Installer {
protected:
  DWORD Run(const std::string& exe, const std::string& arguments) {
    return RunAndWait("\"" + exe + "\" " + arguments, errors);
  }
  std::string errors;
};

TEST_F(SilentInstaller, InstallsIntoAFolderWithBlanksShowingAndStartingNothing) {
  const std::string target = work + "with blanks\\new  folder";
  const std::string exe = Build(StandardOptions(work + "elsewhere"));
  ::DeleteFileA((TempPath() + "readme.txt").c_str());
  EXPECT_EQ(0u, Run(exe, "/S /D=" + target)) << errors;
  EXPECT_EQ("", errors);
  EXPECT_EQ(binary, ReadFile(target + "\\data.bin"));
  EXPECT_EQ(ReadFile(kMarker), ReadFile(target + "\\marker.exe"));
  EXPECT_FALSE(Exists(work + "elsewhere"));
  EXPECT_FALSE(Exists(TempPath() + "readme.txt")) << "no readme shown";
  EXPECT_EQ(std::vector<std::string>(), ListCopies());
  ::Sleep(1000);
  EXPECT_FALSE(Exists(target + "\\autostart.marker")) << "no program started";

  // Without /D= into the list's folder; and again over the same files.
  const std::string listed = work + "listed";
  const std::string plain = Build("--path \"" + listed + "\" \"" + payload + "data.bin\"", work + "plain.exe");
  for (int run = 0; run < 2; ++run) {
    EXPECT_EQ(0u, Run(plain, "/S")) << errors;
    EXPECT_EQ(binary, ReadFile(listed + "\\data.bin")) << run;
  }
}

TEST_F(SilentInstaller, FailuresEndWithTheirCodeAndOneLine) {
  const std::string target = work + "target";
  const std::string exe = Build("--title Silent \"" + payload + "data.bin\"");
  std::string damaged = ReadFile(exe);
  damaged[damaged.size() - 5000] = static_cast<char>(damaged[damaged.size() - 5000] ^ 1);
  WriteFile(work + "damaged.exe", damaged);
  const std::string locked =
      Build("--locked --path \"" + work + "fixed\" \"" + payload + "data.bin\"", work + "locked.exe");
  WriteFile(work + "a file", "in the way");
  // A file of the target that another program holds open without sharing.
  const std::string held = work + "held\\";
  ::CreateDirectoryA(held.c_str(), nullptr);
  HANDLE holder = ::CreateFileA((held + "data.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, holder);
  const struct {
    const char* what;
    std::string exe, arguments, line;
    DWORD code;
  } cases[] = {
      {"damaged", work + "damaged.exe", "/S /D=" + target,
       Pick("This installer is damaged: its contents are not as they were made.",
            "Dieses Installationsprogramm ist beschädigt: sein Inhalt ist nicht mehr, wie er erstellt wurde."),
       2},
      {"wrong option", exe, "/S /X /D=" + target, Pick("Unknown option /X.", "Unbekannte Option /X."), 2},
      {"locked elsewhere", locked, "/S /D=" + target,
       Pick("This installer installs only into " + work + "fixed; /D= cannot choose " + target + ".",
            "Dieses Installationsprogramm installiert nur nach " + work + "fixed; /D= kann nicht " + target +
                " wählen."),
       2},
      {"folder under a file", exe, "/S /D=" + work + "a file\\sub", "E/A-Fehler", 3},
      {"file held open", exe, "/S /D=" + held, "Datei \"" + held + "data.bin\" kann nicht erstellt werden.", 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.code, Run(c.exe, c.arguments)) << c.what << ": " << errors;
    EXPECT_EQ(0u, errors.find(c.line)) << c.what << ": " << errors;
    EXPECT_EQ(errors.size() - 2, errors.find("\r\n")) << "one line; " << c.what << ": " << errors;
    EXPECT_FALSE(Exists(target)) << c.what;
  }
  ::CloseHandle(holder);
  EXPECT_FALSE(Exists(work + "fixed"));
  EXPECT_EQ("", ReadFile(held + "data.bin")) << "the held file stays as it was";

  // The locked folder itself, written another way, is no other folder.
  EXPECT_EQ(0u, Run(locked, "/S /D=" + work + "FIXED\\")) << errors;
  EXPECT_EQ(binary, ReadFile(work + "fixed\\data.bin"));
}

TEST_F(SilentInstaller, ErrorLineReachesTheStartersConsole) {
  // A starter with a console of its own, which hands no standard handles
  // over: the line appears in that console.
  ::FreeConsole();
  ASSERT_TRUE(::AllocConsole());
  HANDLE screen = ::CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, screen);
  SetupProcess setup(kRuntime, "/S /Q");
  ASSERT_TRUE(setup.WaitForExit());
  EXPECT_EQ(2u, setup.ExitCode());
  CONSOLE_SCREEN_BUFFER_INFO info{};
  ASSERT_TRUE(::GetConsoleScreenBufferInfo(screen, &info));
  std::string shown(static_cast<size_t>(info.dwSize.X) * 4, ' ');
  DWORD got = 0;
  ::ReadConsoleOutputCharacterA(screen, &shown[0], static_cast<DWORD>(shown.size()), COORD{0, 0}, &got);
  ::CloseHandle(screen);
  EXPECT_NE(std::string::npos, shown.find(Pick("Unknown option /Q.", "Unbekannte Option /Q."))) << shown;
}

TEST_F(Installer, FolderOptionFillsTheFieldUnlessTheFolderIsLocked) {
  const std::string chosen = work + "chosen by\\the  deployer";
  {
    SetupProcess setup(Build("--title Field --path \"" + work + "listed\" \"" + payload + "data.bin\""),
                       "/D=" + chosen);
    HWND main = setup.MainWindow();
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(chosen, WindowText(setup.Control(idEdit1)));
    setup.Click(main, idBitBtn2);
    ASSERT_TRUE(setup.WaitForExit());
    EXPECT_EQ(1u, setup.ExitCode()) << "left without installing";
    EXPECT_FALSE(Exists(chosen));
  }
  SetupProcess locked(Build("--locked --path \"" + work + "fixed\" \"" + payload + "data.bin\""), "/D=" + chosen);
  HWND box = locked.WaitForWindow(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ("Fehler", WindowText(box));
  EXPECT_EQ(0u, WindowText(::GetDlgItem(box, rtl::kMessageTextID))
                    .find(Pick("This installer installs only into", "Dieses Installationsprogramm installiert nur")));
  EXPECT_EQ(nullptr, FindProcessWindow(locked.ProcessId(), "TMain", true)) << "no window offers to install";
  Answer(box, IDOK);
  ASSERT_TRUE(locked.WaitForExit());
  EXPECT_EQ(2u, locked.ExitCode());
}

TEST_F(Installer, OrvandelsOwnInstallerOffersOrvandel) {
  ::DeleteFileA((TempPath() + "readme.txt").c_str());
  SetupProcess setup(HostToWindows(ORV_PRODUCT_SETUP_EXE));
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_TRUE(CloseNotepadShowing("readme")) << "the readme is shown";
  const std::string readme = ReadFile(TempPath() + "readme.txt");
  EXPECT_NE(std::string::npos, readme.find("Orvandel keeps track")) << readme;
  EXPECT_NE(std::string::npos, readme.find("Orvandel verfolgt")) << readme;
  EXPECT_NE(std::string::npos, readme.find("ge\xE4nderte")) << "in the Windows code page";
  const std::string watcher = HostToWindows(ORV_ORVANDEL_EXE);
  char version[32] = {};
  const DWORD size = ::GetFileVersionInfoSizeA(watcher.c_str(), nullptr);
  std::vector<char> block(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(size > 0 && ::GetFileVersionInfoA(watcher.c_str(), 0, size, block.data()) &&
              ::VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  std::snprintf(version, sizeof version, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(std::string("Orvandel ") + version, WindowText(main));
  const std::string folder = WindowText(setup.Control(idEdit1));
  EXPECT_EQ(folder.size() - 9, folder.find("\\Orvandel")) << folder;
  EXPECT_EQ(std::string::npos, folder.find("\\\\")) << folder;
  EXPECT_EQ(Pick("Autorun Orvandel.exe", "Orvandel.exe automatisch ausführen"), WindowText(setup.Control(idCheckBox2)));
  setup.Click(main, idBitBtn2);
  EXPECT_TRUE(setup.WaitForExit());
}
