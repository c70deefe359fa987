// Open and Save of drawing files and DXF plans from the menu.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <cstdio>

#include "flow/field.h"
#include "flow/field_export.h"
#include "flow/png_image.h"
#include "model/drawing_file.h"
#include "model/dxf_file.h"
#include "shell/commands.h"
#include "shell/modes.h"
#include "view/redraw.h"
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

// The path chosen in a file dialog of the type ("OPEN" or "SAVE"), or ""
// when nothing was chosen.
std::string AskFile(const char* type, const char* title, const char* filter) {
  tk::Element* dialog = tk::FileDialog();
  tk::SetAttribute(dialog, "DIALOGTYPE", type);
  tk::SetAttribute(dialog, "TITLE", title);
  tk::SetAttribute(dialog, "FILTER", filter);
  tk::SetAttribute(dialog, "FILTERINFO", filter);
  tk::SetAttribute(dialog, "DIRECTORY", StartFolder());
  tk::Popup(dialog, tk::kCenter, tk::kCenter);
  std::string path = tk::GetAttribute(dialog, "VALUE");
  tk::Destroy(dialog);
  return path;
}

std::string AskFileToOpen() { return AskFile("OPEN", "Abrir arquivo", "*.dat;*.dxf"); }

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Writes the field as VTK for a name ending in .vtk, else as CSV.
bool WriteField(const std::string& path, const AnalysisResult& result) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return false;
  bool ok = EndsWith(path, ".vtk") ? WriteFieldVtk(f, result) : WriteFieldCsv(f, result);
  if (std::fclose(f) != 0) ok = false;
  return ok;
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

void ReportCannotOpen(const std::string& path, const std::string& error) {
  tk::Message("Abrir arquivo", "Não foi possível abrir \"" + path + "\": " + error + ".");
}

// The layers a DXF plan is read with, chosen in a list of its layers where
// the visible ones start checked.  False when the list is cancelled.
bool ChooseLayers(const DxfPlan& plan, std::vector<std::string>& keep) {
  std::vector<std::string> items;
  std::vector<bool> checked;
  for (const DxfLayer& layer : plan.Layers()) {
    items.push_back(layer.name + (layer.frozen ? " (congelada)" : layer.off ? " (desligada)" : ""));
    checked.push_back(layer.Visible());
  }
  const std::string question = "Camadas do arquivo cujas linhas serão paredes:";
  if (!tk::ChooseSeveral("Camadas", question, items, checked)) return false;
  keep.clear();
  for (size_t i = 0; i < items.size(); ++i)
    if (checked[i]) keep.push_back(plan.Layers()[i].name);
  if (keep.empty()) tk::Message("Abrir arquivo", "Nenhuma camada foi escolhida: nada foi lido.");
  return !keep.empty();
}

// The walls of a DXF plan on the layers chosen replace the drawing; the
// summary of the reading is returned for the message line.  A plan that
// cannot be read, or a cancelled choice, leaves the drawing as it was.
std::string OpenPlan(const std::string& path, Drawing& drawing) {
  DxfPlan plan;
  DxfWalls walls;
  std::vector<std::string> keep;
  std::string error;
  if (!plan.Read(path, error)) {
    ReportCannotOpen(path, error);
    return "";
  }
  if (!ChooseLayers(plan, keep)) return "";
  if (!plan.Walls(keep, walls, error)) {
    ReportCannotOpen(path, error);
    return "";
  }
  ReplaceWithWalls(walls.walls, drawing.settings.wallWidth, drawing.entities);
  return plan.Summary(walls);
}

// Empties the drawing, reads the file and fits the view to it.  A file that
// cannot be opened leaves the drawing as it was.  A file read only in part
// counts as changed: the drawing lacks the records after the stop.  Returns
// what the message line should say about the reading, if anything.
std::string Open(Drawing& drawing, const std::string& path) {
  std::string note;
  ReadReport report;
  std::string error;
  if (IsDxfPath(path)) {
    note = OpenPlan(path, drawing);
    if (note.empty()) return "";
  } else if (!LoadDrawingFile(path, drawing.settings.wallWidth, drawing.entities, report, error)) {
    ReportCannotOpen(path, error);
    return "";
  }
  drawing.history.Clear();
  drawing.source = {ResolvedPath(path), report.complete ? 0 : report.stopRecord};
  if (report.complete) drawing.history.MarkUnchanged();
  else drawing.history.MarkChanged();
  ViewFit(handles.datascreen);
  if (!report.complete) ReportStoppedRead(path, report);
  return note;
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
  const bool saved = IsDxfPath(path) ? WriteDxfFile(path, WallSegmentsOf(drawing.entities), error)
                                     : SaveDrawingFile(path, drawing.entities, error);
  if (!saved) {
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
// read while "Calcular" runs, nor before unsaved changes are settled.  The
// view is fitted to the new drawing, and the size read-outs follow it.  A
// cancelled dialog changes nothing: the flow result stays and the user's
// mode comes back.  In live mode the new drawing is analysed.
int ProjReadFile(Workspace& ws, const tk::Event&) {
  if (PipelineRunning(ws)) return tk::kDefault;
  if (!SettleUnsavedChanges(ws)) return tk::kDefault;
  EndPick();
  const std::string path = AskFileToOpen();
  if (path.empty()) {
    ResumeMode();
    return tk::kDefault;
  }
  DiscardFlowResult(ws);
  const std::string note = Open(ws.drawing, path);
  DrawingChanged(ws);
  ShowViewSize(handles.datascreen);
  ResetToSelect();
  if (!note.empty()) ShowPrompt(nullptr, note);
  return tk::kDefault;
}

int ProjSaveFile(Workspace& ws, const tk::Event&) {
  EndPick();
  Save(ws.drawing);
  ResumeMode();
  return tk::kDefault;
}

// The canvas as it shows, legend included, without the mouse's echo.
int ProjExportImage(Workspace&, const tk::Event&) {
  EndPick();
  const std::string path = AskFile("SAVE", "Exportar imagem", "*.png");
  if (!path.empty()) {
    std::vector<Rgb> pixels;
    int width = 0, height = 0;
    std::string error = "a imagem do desenho não pôde ser lida";
    if (!ReadCanvasPicture(handles.datascreen, pixels, width, height) ||
        !WritePngFile(path, pixels, width, height, error)) {
      tk::Message("Exportar imagem", "Não foi possível exportar a imagem: " + error + ".");
    }
  }
  ResumeMode();
  return tk::kDefault;
}

int ProjExportField(Workspace& ws, const tk::Event&) {
  EndPick();
  if (!HasSolvedField(ws.result)) {
    tk::Message("Exportar campo",
                "Não há escoamento calculado: use Calcular antes de exportar o campo.");
  } else {
    const std::string path = AskFile("SAVE", "Exportar campo (.csv ou .vtk)", "*.csv");
    if (!path.empty() && !WriteField(path, ws.result)) {
      tk::Message("Exportar campo", "Não foi possível escrever \"" + path + "\".");
    }
  }
  ResumeMode();
  return tk::kDefault;
}

}  // namespace cmd
