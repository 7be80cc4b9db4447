// The installer end to end: the builder makes installers, the installers run
// in their own processes and are driven through their windows.

#include <windows.h>

#include <gtest/gtest.h>

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
  EXPECT_TRUE(Exists(TempPath() + "Setup.~lst")) << "the setup list lives while the window does";

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
  const std::string folder = target + "\\";
  EXPECT_EQ(binary, ReadFile(folder + "data.bin"));
  EXPECT_TRUE(Exists(folder + "empty.dat"));
  EXPECT_EQ("", ReadFile(folder + "empty.dat"));
  EXPECT_EQ(ReadFile(kMarker), ReadFile(folder + "marker.exe"));
  EXPECT_FALSE(Exists(folder + "readme.force")) << "the readme is not installed";
  EXPECT_FALSE(Exists(folder + "Setup.~lst"));
  EXPECT_TRUE(WaitForFile(folder + "autostart.marker", 15000)) << "the AutoStart program ran in the target folder";
  EXPECT_FALSE(Exists(TempPath() + "Setup.~lst")) << "deleted at close";
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

TEST_F(Installer, DamagedInstallerInstallsNothingAndReadsNoLeftoverList) {
  const std::string exe = Build(StandardOptions(work + "never"));
  std::string bytes = ReadFile(exe);
  // One byte in the middle of data.bin's bytes.
  const size_t at = bytes.find(binary.substr(1000, 64));
  ASSERT_NE(std::string::npos, at);
  bytes[at + 10] = static_cast<char>(bytes[at + 10] ^ 0x40);
  WriteFile(exe, bytes);

  // The list of an earlier installer that was killed.
  SetupListOptions earlier;
  earlier.Title = "Earlier Setup";
  earlier.Path = work + "earlier";
  earlier.Locked = true;
  const std::string leftover = TempPath() + "Setup.~lst";
  WriteFile(leftover, BuildSetupList(earlier));

  const std::string target = work + "existing\\";
  ::CreateDirectoryA(target.c_str(), nullptr);
  SetupProcess setup(exe);
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ("", WindowText(main)) << "no setup list: no title";
  EXPECT_EQ(TempPath(), WindowText(setup.Control(idEdit1))) << "no setup list: the temporary folder";
  EXPECT_FALSE(::GetWindowLongA(setup.Control(idEdit1), GWL_STYLE) & ES_READONLY) << "no setup list: not locked";
  EXPECT_FALSE(Exists(leftover)) << "the leftover list is removed";
  SetWindowTextTo(setup.Control(idEdit1), target);
  setup.Click(main, idBitBtn1);
  HWND count = setup.WaitForWindow(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, count);
  EXPECT_EQ(Pick("0 files copied.", "Es wurden 0 Dateien kopiert."), WindowText(::GetDlgItem(count, rtl::kMessageTextID)));
  Answer(count, IDOK);
  EXPECT_TRUE(setup.WaitForExit());
  EXPECT_EQ(0, CountFiles(target));
  ::DeleteFileA(leftover.c_str());
}

TEST_F(Installer, FailedReloadShowsTheErrorAndCopiesNothing) {
  const std::string home = work + "app\\";
  ::CreateDirectoryA(home.c_str(), nullptr);
  const std::string target = work + "reloaded";
  const std::string exe = Build("--title Reload --path \"" + target + "\" \"" + payload + "data.bin\"",
                                home + "setup.exe");
  SetupProcess setup(exe);
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ("Reload", WindowText(main));

  // The running installer's own file is replaced by one without a valid
  // container: its folder is moved away (the open file goes with it) and a
  // damaged copy takes its place.
  ASSERT_TRUE(::MoveFileA((work + "app").c_str(), (work + "app.moved").c_str()));
  ::CreateDirectoryA(home.c_str(), nullptr);
  std::string bytes = ReadFile(work + "app.moved\\setup.exe");
  bytes[bytes.size() - 50] = static_cast<char>(bytes[bytes.size() - 50] ^ 1);
  WriteFile(exe, bytes);

  setup.Click(main, idBitBtn1);
  HWND error = setup.WaitForWindow("#32770");
  ASSERT_NE(nullptr, error) << "the failed reload is reported";
  EXPECT_EQ(nullptr, FindProcessWindow(setup.ProcessId(), rtl::kMessageFormClass, true))
      << "no folder question";
  EXPECT_NE(std::string::npos, WindowText(::GetDlgItem(error, 0xFFFF)).find("File doesn't contain ExtraResources"));
  Answer(error, IDOK);
  EXPECT_FALSE(Exists(target)) << "nothing copied, no folder made";
  setup.Click(main, idBitBtn2);
  EXPECT_TRUE(setup.WaitForExit());
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

  SetupProcess setup(exe);
  HWND main = setup.MainWindow();
  ASSERT_NE(nullptr, main);
  SetWindowTextTo(setup.Control(idEdit1), target);
  setup.Click(main, idBitBtn1);
  HWND count = setup.WaitForWindow(rtl::kMessageFormClass);
  ASSERT_NE(nullptr, count);
  EXPECT_EQ(Pick("1 files copied.", "Es wurden 1 Dateien kopiert."), WindowText(::GetDlgItem(count, rtl::kMessageTextID)));
  Answer(count, IDOK);
  EXPECT_TRUE(setup.WaitForExit());
  EXPECT_EQ(binary, ReadFile(target + "\\data.bin"));
  EXPECT_EQ(1, CountFiles(target + "\\")) << "no scratch file left";
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

TEST_F(Installer, BuilderRefusesBadInputAndWritesNothing) {
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
