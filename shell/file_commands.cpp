// Open and Save of drawing files from the menu.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "model/drawing_file.h"
#include "shell/commands.h"
#include "shell/modes.h"
#include "view/view.h"

namespace cmd {

namespace {

// Where the Open dialog starts: BRISELDIR, else the current folder.
std::string StartFolder() {
  const char* dir = std::getenv("BRISELDIR");
  if (dir && *dir) return dir;
  std::error_code error;
  const auto here = std::filesystem::current_path(error);
  return error ? std::string(".") : here.string();
}

// The path chosen in the Open dialog, or "" when nothing was chosen.
std::string AskFileToOpen() {
  tk::Element* dialog = tk::FileDialog();
  tk::SetAttribute(dialog, "DIALOGTYPE", "OPEN");
  tk::SetAttribute(dialog, "TITLE", "Abrir arquivo");
  tk::SetAttribute(dialog, "FILTER", "*.dat");
  tk::SetAttribute(dialog, "FILTERINFO", "*.dat");
  tk::SetAttribute(dialog, "DIRECTORY", StartFolder());
  tk::Popup(dialog, tk::kCenter, tk::kCenter);
  std::string path = tk::GetAttribute(dialog, "VALUE");
  tk::Destroy(dialog);
  return path;
}

void ReportStoppedRead(const std::string& path, const ReadReport& report) {
  tk::Message("Abrir arquivo", "A leitura de \"" + path + "\" " + report.StopSummary() + ".");
}

// The path as the file system resolves it (links followed), so that two
// names of one file compare equal.
std::string ResolvedPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? path : resolved.string();
}

// Empties the drawing, reads the file and fits the view to it.  A file that
// cannot be opened leaves the drawing as it was.  A file read only in part
// counts as changed: the drawing lacks the records after the stop.
void Open(Drawing& drawing, const std::string& path) {
  ReadReport report;
  std::string error;
  if (!LoadDrawingFile(path, drawing.settings.wallWidth, drawing.entities, report, error)) {
    tk::Message("Abrir arquivo", "Não foi possível abrir \"" + path + "\": " + error + ".");
    return;
  }
  drawing.history.Clear();
  drawing.source = {ResolvedPath(path), report.complete ? 0 : report.stopRecord};
  if (report.complete) drawing.history.MarkUnchanged();
  else drawing.history.MarkChanged();
  ViewFit(handles.datascreen);
  if (!report.complete) ReportStoppedRead(path, report);
}

bool Confirmed(const std::string& question, const std::string& yes) {
  return tk::Choose("Salvar arquivo", question, {yes, "Cancelar"}) == 0;
}

// Whether the save may go on: an existing file is replaced only once the
// user says so, and the file the drawing was read from in part only once
// the user accepts that its unread records are dropped.
bool MayWrite(const Drawing& drawing, const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return true;  // nothing replaced
  if (drawing.source.unreadFrom > 0 && ResolvedPath(path) == drawing.source.path) {
    return Confirmed("O desenho foi lido só em parte de \"" + drawing.source.path +
                         "\": a leitura parou no registro " +
                         std::to_string(drawing.source.unreadFrom) +
                         ".\nSalvar sobre o arquivo descarta os registros que não foram lidos."
                         "\nDeseja salvar assim mesmo?",
                     "Salvar");
  }
  return Confirmed("O arquivo \"" + path + "\" já existe.\nDeseja substituí-lo?", "Substituir");
}

// Writes the drawing under the chosen name; an existing file is replaced
// only when the user agrees and once the new one is complete.  False when
// cancelled or failed.
bool Save(Drawing& drawing) {
  std::string path = "*.*";
  if (tk::GetFile(path) == -1) return false;
  if (!MayWrite(drawing, path)) return false;
  std::string error;
  if (!SaveDrawingFile(path, drawing.entities, error)) {
    tk::Message("Salvar arquivo", "Não foi possível salvar \"" + path + "\": " + error +
                                      ".\nNenhum arquivo foi alterado.");
    return false;
  }
  drawing.history.MarkUnchanged();
  drawing.source = {ResolvedPath(path), 0};
  return true;
}

std::string UnsavedQuestion(const DrawingSource& source) {
  if (source.unreadFrom > 0) {
    return "O desenho tem só parte do arquivo \"" + source.path +
           "\": a leitura parou no registro " + std::to_string(source.unreadFrom) +
           ".\nDeseja salvar o desenho?";
  }
  return "O desenho foi alterado desde que foi aberto ou salvo.\nDeseja salvar as alterações?";
}

}  // namespace

bool SettleUnsavedChanges(Workspace& ws) {
  if (!ws.drawing.history.Changed()) return true;
  const int answer = tk::Choose("Desenho alterado", UnsavedQuestion(ws.drawing.source),
                                {"Salvar", "Descartar", "Cancelar"});
  if (answer == 0) return Save(ws.drawing);
  return answer == 1;
}

// Reading replaces the drawing, so the flow result goes first; nothing is
// read while "Calcular" is still working on the drawing, nor before unsaved
// changes are settled.  The view is fitted to the new drawing, and the size
// read-outs follow it.  A cancelled dialog changes nothing: the flow result
// stays and the user's mode comes back.
int ProjReadFile(Workspace& ws, const tk::Event&) {
  if (PipelineRunning()) return tk::kDefault;
  if (!SettleUnsavedChanges(ws)) return tk::kDefault;
  EndPick();
  const std::string path = AskFileToOpen();
  if (path.empty()) {
    ResumeMode();
    return tk::kDefault;
  }
  ReleaseGrid(ws.result);
  Open(ws.drawing, path);
  ShowViewSize(handles.datascreen);
  ResetToSelect();
  return tk::kDefault;
}

int ProjSaveFile(Workspace& ws, const tk::Event&) {
  EndPick();
  Save(ws.drawing);
  ResumeMode();
  return tk::kDefault;
}

}  // namespace cmd
