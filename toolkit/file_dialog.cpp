// A plain file dialog: the folder in an editable field, its subfolders and
// the files passing the filter in a list, and a name field that keeps
// exactly what is typed.  No completion: a typed path must arrive as typed.
#include "toolkit/file_dialog.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "toolkit/rules.h"
#include "toolkit/toolkit.h"

namespace tk {

namespace {

struct DialogTexts {
  const char* folder;
  const char* name;
  const char* filter;
  const char* confirm;
  const char* cancel;
  const char* fileNotFound;
  const char* folderNotFound;
  const char* folderUnreadable;
};

DialogTexts TextsForLanguage() {
  if (GetLanguage() == "ENGLISH")
    return {"Folder:", "Name:", "Filter:", "OK", "Cancel",
            "File not found.", "Folder not found.", "This folder cannot be read."};
  return {"Pasta:", "Nome:", "Filtro:", "Confirma", "Cancela",
          "Arquivo não encontrado.", "Pasta não encontrada.", "Não foi possível ler esta pasta."};
}

bool IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string WorkingFolder() {
  std::unique_ptr<char, decltype(&std::free)> here(getcwd(nullptr, 0), &std::free);
  return here ? std::string(here.get()) : std::string("/");
}

// The entries of a folder, links followed to tell folders from files.
// False when the folder cannot be read.
bool ReadFolder(const std::string& folder, std::vector<rules::FolderEntry>& entries) {
  struct Closer {
    void operator()(DIR* dir) const { closedir(dir); }
  };
  std::unique_ptr<DIR, Closer> dir(opendir(folder.c_str()));
  if (!dir) return false;
  while (const dirent* entry = readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    entries.push_back({name, IsFolder(folder + "/" + name)});
  }
  return true;
}

bool EndsWithSlash(const std::string& text) { return !text.empty() && text.back() == '/'; }

class FileChooserWindow {
 public:
  explicit FileChooserWindow(const FileDialogRequest& request);
  FileChooserWindow(const FileChooserWindow&) = delete;
  FileChooserWindow& operator=(const FileChooserWindow&) = delete;

  bool Run(std::string& chosen);

 private:
  // FLTK calls plain functions; an exception must not travel through FLTK.
  template <void (FileChooserWindow::*Method)()>
  static void Call(Fl_Widget*, void* data) {
    try {
      (static_cast<FileChooserWindow*>(data)->*Method)();
    } catch (...) {
    }
  }

  void Build();
  void List(const std::string& folder);
  void Note(const std::string& text);
  void FolderTyped();
  void ListClicked();
  void UseLine(int line, bool activate);
  void Accept();
  void AcceptName();
  void Cancel();

  const FileDialogRequest request_;
  const DialogTexts texts_;
  Fl_Double_Window window_;
  Fl_Input* folderField_ = nullptr;
  Fl_Hold_Browser* list_ = nullptr;
  Fl_Input* nameField_ = nullptr;
  Fl_Box* note_ = nullptr;
  std::string folder_;
  std::vector<std::string> lines_;
  std::string chosen_;
  bool accepted_ = false;
};

FileChooserWindow::FileChooserWindow(const FileDialogRequest& request)
    : request_(request), texts_(TextsForLanguage()), window_(520, 420) {
  window_.copy_label(request_.title.c_str());
  Build();
  const std::string here = WorkingFolder();
  List(request_.folder.empty() ? here : rules::ResolveTypedName(here, request_.folder));
}

void FileChooserWindow::Build() {
  const int width = window_.w(), height = window_.h();
  const int margin = 10, labelWidth = 50, field = 25;
  const int fieldX = margin + labelWidth, fieldWidth = width - fieldX - margin;
  window_.begin();
  folderField_ = new Fl_Input(fieldX, margin, fieldWidth, field, texts_.folder);
  folderField_->when(FL_WHEN_ENTER_KEY_ALWAYS);
  folderField_->callback(Call<&FileChooserWindow::FolderTyped>, this);

  const int listY = margin * 2 + field, nameY = height - 105;
  list_ = new Fl_Hold_Browser(margin, listY, width - 2 * margin, nameY - margin - listY);
  list_->format_char(0);  // names are shown as they are, '@' included
  list_->when(FL_WHEN_CHANGED | FL_WHEN_NOT_CHANGED | FL_WHEN_ENTER_KEY);
  list_->callback(Call<&FileChooserWindow::ListClicked>, this);

  nameField_ = new Fl_Input(fieldX, nameY, fieldWidth, field, texts_.name);
  nameField_->when(FL_WHEN_ENTER_KEY_ALWAYS);
  nameField_->callback(Call<&FileChooserWindow::AcceptName>, this);

  note_ = new Fl_Box(margin, nameY + field + 5, width - 2 * margin, 22);
  note_->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
  note_->labelcolor(FL_RED);

  const int buttonY = height - margin - 28, buttonWidth = 95;
  const std::string info = request_.filterInfo.empty() ? request_.filter : request_.filterInfo;
  const std::string filterShown = std::string(texts_.filter) + " " + (info.empty() ? "*" : info);
  auto* filter = new Fl_Box(margin, buttonY, width - 3 * margin - 2 * buttonWidth - 10, 28);
  filter->copy_label(filterShown.c_str());
  filter->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);

  auto* confirm = new Fl_Return_Button(width - margin - 2 * buttonWidth - 10, buttonY,
                                       buttonWidth, 28, texts_.confirm);
  confirm->callback(Call<&FileChooserWindow::Accept>, this);
  auto* cancel = new Fl_Button(width - margin - buttonWidth, buttonY, buttonWidth, 28,
                               texts_.cancel);
  cancel->shortcut(FL_Escape);
  cancel->callback(Call<&FileChooserWindow::Cancel>, this);
  // Growing the window grows the list and the fields; the labels keep their
  // size and the buttons only move.
  auto* stretch = new Fl_Box(fieldX, listY, confirm->x() - fieldX - margin, list_->h());
  stretch->hide();
  window_.end();
  window_.resizable(stretch);
  window_.size_range(420, 260);
  window_.callback(Call<&FileChooserWindow::Cancel>, this);  // the close box and Esc
}

// Shows `folder` and its entries; a folder that cannot be read shows an
// empty list and says so.
void FileChooserWindow::List(const std::string& folder) {
  folder_ = folder;
  folderField_->value(folder_.c_str());
  std::vector<rules::FolderEntry> entries;
  const bool readable = ReadFolder(folder_, entries);
  lines_ = readable ? rules::ListingLines(entries, request_.filter) : std::vector<std::string>{"../"};
  list_->clear();
  for (const std::string& line : lines_) list_->add(line.c_str());
  list_->topline(1);
  Note(readable ? "" : texts_.folderUnreadable);
}

void FileChooserWindow::Note(const std::string& text) {
  note_->copy_label(text.c_str());
  window_.redraw();
}

// Enter in the folder field moves to the typed folder, relative to the one
// shown or absolute.
void FileChooserWindow::FolderTyped() {
  const std::string folder = rules::ResolveTypedName(folder_, folderField_->value());
  if (IsFolder(folder))
    List(folder);
  else
    Note(texts_.folderNotFound);
}

// One click on a file takes its name; a double click (or Enter in the list)
// enters a folder or accepts a file.
void FileChooserWindow::ListClicked() {
  const int line = list_->value();
  if (line < 1 || line > static_cast<int>(lines_.size())) return;
  const int event = Fl::event();
  const bool twice = (event == FL_PUSH || event == FL_RELEASE) && Fl::event_clicks() > 0;
  const bool enter = event == FL_KEYBOARD &&
                     (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter);
  if (twice) Fl::event_clicks(0);  // a click in the next list is a new first click
  UseLine(line, twice || enter);
}

void FileChooserWindow::UseLine(int line, bool activate) {
  const std::string& text = lines_[line - 1];
  if (EndsWithSlash(text)) {
    if (activate) List(rules::ResolveTypedName(folder_, text));
    return;
  }
  nameField_->value(text.c_str());
  if (activate) AcceptName();
}

// Enter or the confirm button: while the list has the focus, its selected
// line is used as a double click would; otherwise the typed name.
void FileChooserWindow::Accept() {
  const int line = list_->value();
  if (Fl::focus() == list_ && line >= 1 && line <= static_cast<int>(lines_.size()))
    UseLine(line, true);
  else
    AcceptName();
}

// A name that names a folder moves there; any other name ends the dialog,
// unless opening and the file does not exist.
void FileChooserWindow::AcceptName() {
  const std::string typed = nameField_->value();
  if (typed.empty()) {
    List(folder_);  // shows what changed in the folder meanwhile
    return;
  }
  const std::string path = rules::ResolveTypedName(folder_, typed);
  if (IsFolder(path)) {
    nameField_->value("");
    List(path);
    return;
  }
  if (EndsWithSlash(typed)) {
    Note(texts_.folderNotFound);
    return;
  }
  if (request_.mustExist && !IsRegularFile(path)) {
    Note(texts_.fileNotFound);
    return;
  }
  chosen_ = path;
  accepted_ = true;
  window_.hide();
}

void FileChooserWindow::Cancel() {
  accepted_ = false;
  window_.hide();
}

bool FileChooserWindow::Run(std::string& chosen) {
  window_.position(std::max(0, (Fl::w() - window_.w()) / 2),
                   std::max(0, (Fl::h() - window_.h()) / 2));
  window_.set_modal();
  window_.show();
  nameField_->take_focus();
  while (window_.shown()) Fl::wait();
  if (!accepted_) return false;
  chosen = chosen_;
  return true;
}

}  // namespace

// Only a regular file can be opened for reading a drawing; a device or a
// pipe would block the program.
bool IsRegularFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool RunFileDialog(const FileDialogRequest& request, std::string& chosen) {
  FileChooserWindow dialog(request);
  return dialog.Run(chosen);
}

}  // namespace tk
