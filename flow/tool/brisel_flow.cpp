// brisel-flow: runs the "Calcular" analysis on drawing files without a
// window and writes the results as text and as pictures.  Several
// drawings are analysed side by side, each on a thread of its own.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <functional>
#include <new>
#include <set>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "flow/analysis.h"
#include "flow/field.h"
#include "flow/field_export.h"
#include "flow/flow_report.h"
#include "flow/svg_render.h"
#include "flow/solver.h"
#include "model/drawing_file.h"
#include "model/dxf_file.h"
#include "model/entity_list.h"

namespace {

const char kUsage[] =
    "uso: brisel-flow [--scheme accurate|literal] [--wall-width E] [--tolerance T] [--cells N] "
    "[--wind GRAUS] [--wind-speed V] [--dump ARQUIVO|-] [--svg ARQUIVO] [--png ARQUIVO] "
    "[--colours] [--csv ARQUIVO] [--vtk ARQUIVO] [--probe X,Y] [--flux X0,Y0,X1,Y1] "
    "[--zone X0,Y0,X1,Y1] [--layers C1,C2...] [-j N] [--dump-dir PASTA] [--svg-dir PASTA] "
    "DESENHO.dat|DESENHO.dxf...\n"
    "  --scheme S      accurate (padrão): faces pesadas pela forma da célula, resolvido até\n"
    "                  convergir; literal: vizinhos de peso igual, parada antecipada\n"
    "  --wall-width E  espessura das paredes do desenho (E > 0, padrão 0.15)\n"
    "  --tolerance T   só com --scheme literal: tolerância absoluta de convergência (T > 0;\n"
    "                  por padrão ajustada ao desenho: 0.3 x min(1, (L/13)^2), L o lado maior)\n"
    "  --cells N       grade de N x N células (2 <= N <= 1600, padrão 60)\n"
    "  --layers C,...  só com um desenho DXF: lê só essas camadas (padrão: as visíveis)\n"
    "  --dump ARQUIVO  escreve a análise como texto em ARQUIVO, ou na saída padrão com -\n"
    "  --wind GRAUS    direção de onde vem o vento: 0 norte, 90 leste, 180 sul, 270 oeste\n"
    "                  (padrão)\n"
    "  --wind-speed V  velocidade do vento em m/s (V > 0, padrão 1)\n"
    "  --svg ARQUIVO   escreve a figura do resultado em SVG em ARQUIVO\n"
    "  --png ARQUIVO   escreve a mesma figura em PNG\n"
    "  --colours       põe o mapa de cores das velocidades e a sua legenda nas figuras\n"
    "  --csv ARQUIVO   escreve o campo, uma linha por célula: x,y,u,v,speed,solid (m/s)\n"
    "  --vtk ARQUIVO   escreve o campo como grade estruturada VTK (velocity, speed, solid)\n"
    "  --probe X,Y     mostra a velocidade e a direção no ponto (repetível)\n"
    "  --flux X0,Y0,X1,Y1  mostra a vazão através da linha, por metro de altura (repetível)\n"
    "  --zone X0,Y0,X1,Y1  mostra as velocidades no retângulo de cantos opostos dados\n"
    "                  (repetível)\n"
    "  -j N            analisa N desenhos ao mesmo tempo (padrão: um por núcleo)\n"
    "  --dump-dir PASTA, --svg-dir PASTA\n"
    "                  escrevem a análise e a figura de cada desenho na PASTA, com o nome\n"
    "                  do desenho sem a extensão: casa.dat dá casa.dump e casa.svg\n"
    "--dump, --svg, --png, --csv, --vtk, --probe, --flux e --zone servem a um só desenho.\n"
    "Saída 0 quando tudo foi escrito; 1 quando um desenho não pôde ser lido por inteiro\n"
    "ou analisado, ou uma saída não pôde ser escrita (uma linha por falha); 2 para uma\n"
    "opção inválida.\n";

constexpr int kMaxCells = 1600;
constexpr int kMaxJobs = 256;
// Far more than any drawing needs at the default tolerance; a tolerance too
// small for the arithmetic to reach ends here instead of never.
constexpr long kMaxCellUpdates = 4000000000L;

// A read-out asked for on the command line, in the order given.
struct Query {
  std::string kind;            // --probe, --flux or --zone
  std::string text;            // as given
  std::vector<double> values;  // 2 or 4 coordinates
};

struct Options {
  SolverScheme scheme = SolverScheme::Accurate;
  double wallWidth = 0.15;
  double tolerance = 0;  // 0: scaled to the drawing
  int cells = kGridCells;
  double wind = kWestWind, windSpeed = 1;
  bool colours = false;
  std::vector<std::string> layers;  // of a DXF drawing; empty: the visible ones
  std::string dump, svg, png, csv, vtk, drawing;
  std::vector<Query> queries;
  // Several drawings: how many are analysed at once (0: one per core), and
  // the folders their outputs go to.
  std::vector<std::string> drawings;
  int jobs = 0;
  std::string dumpDir, svgDir;
};

int UsageError(const std::string& message) {
  std::fprintf(stderr, "brisel-flow: %s\n%s", message.c_str(), kUsage);
  return 2;
}

// One call, so that the line of one drawing never mixes with another's.
int Failure(const std::string& message) {
  std::fprintf(stderr, "brisel-flow: %s\n", message.c_str());
  return 1;
}

bool ParsePositive(const std::string& text, double& value) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v) || !(v > 0)) return false;
  value = v;
  return true;
}

bool ParseFinite(const std::string& text, double& value) {
  char* end = nullptr;
  errno = 0;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
  value = v;
  return true;
}

// `count` finite numbers separated by commas.
bool ParseCoordinates(const std::string& text, size_t count, std::vector<double>& values) {
  values.clear();
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    double v;
    if (!ParseFinite(text.substr(start, comma - start), v)) return false;
    values.push_back(v);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return values.size() == count;
}

bool ParseQuery(const std::string& kind, const std::string& text, std::vector<Query>& queries) {
  Query q{kind, text, {}};
  if (!ParseCoordinates(text, kind == "--probe" ? 2 : 4, q.values)) return false;
  queries.push_back(q);
  return true;
}

// Layer names separated by commas; none may be empty.
bool ParseLayers(const std::string& text, std::vector<std::string>& layers) {
  layers.clear();
  std::string name;
  std::istringstream names(text);
  while (std::getline(names, name, ',')) {
    if (name.empty()) return false;
    layers.push_back(name);
  }
  return !text.empty() && text.back() != ',';
}

bool ParseScheme(const std::string& text, SolverScheme& scheme) {
  if (text == "accurate") scheme = SolverScheme::Accurate;
  else if (text == "literal") scheme = SolverScheme::Literal;
  else return false;
  return true;
}

bool ParseInteger(const std::string& text, long least, long most, int& value) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || v < least || v > most) return false;
  value = static_cast<int>(v);
  return true;
}

// Where an output of the drawing goes in `folder`: its name without the
// extension, then `extension`.
std::string OutputIn(const std::string& folder, const std::string& drawing,
                     const std::string& extension) {
  return (std::filesystem::path(folder) / std::filesystem::path(drawing).stem()).string() +
         extension;
}

// 0 when the drawings and their outputs go together, else the exit status.
int CheckDrawings(const Options& o) {
  if (o.drawings.empty()) return UsageError("falta o desenho a analisar");
  const bool singleOutputs = !o.dump.empty() || !o.svg.empty() || !o.png.empty() ||
                             !o.csv.empty() || !o.vtk.empty() || !o.queries.empty();
  if (o.drawings.size() > 1 && singleOutputs) {
    return UsageError("--dump, --svg, --png, --csv, --vtk, --probe, --flux e --zone servem a um "
                      "só desenho; com vários, use --dump-dir e --svg-dir");
  }
  if ((!o.dump.empty() && !o.dumpDir.empty()) || (!o.svg.empty() && !o.svgDir.empty())) {
    return UsageError("dê um arquivo ou uma pasta para cada saída, não os dois");
  }
  if (o.dumpDir.empty() && o.svgDir.empty()) return 0;
  std::set<std::string> outputs;
  for (const std::string& drawing : o.drawings) {
    if (!outputs.insert(OutputIn("", drawing, "")).second) {
      return UsageError("dois desenhos dariam saídas de mesmo nome: " + drawing);
    }
  }
  return 0;
}

// 0 when the arguments are good, else the exit status (usage printed).
int ParseArguments(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    }
    if (arg == "--colours") {
      o.colours = true;
      continue;
    }
    const bool takesValue = arg == "--scheme" || arg == "--wall-width" || arg == "--tolerance" ||
                            arg == "--cells" || arg == "--dump" || arg == "--svg" ||
                            arg == "--png" || arg == "--csv" || arg == "--vtk" || arg == "--wind" ||
                            arg == "--wind-speed" || arg == "--probe" || arg == "--flux" ||
                            arg == "--zone" || arg == "--layers" || arg == "-j" ||
                            arg == "--dump-dir" || arg == "--svg-dir";
    if (takesValue) {
      if (i + 1 >= argc) return UsageError(arg + " precisa de um valor");
      const std::string value = argv[++i];
      bool good = true;
      if (arg == "--scheme") good = ParseScheme(value, o.scheme);
      else if (arg == "--wall-width") good = ParsePositive(value, o.wallWidth);
      else if (arg == "--tolerance") good = ParsePositive(value, o.tolerance);
      else if (arg == "--cells") good = ParseInteger(value, 2, kMaxCells, o.cells);
      else if (arg == "--layers") good = ParseLayers(value, o.layers);
      else if (arg == "-j") good = ParseInteger(value, 1, kMaxJobs, o.jobs);
      else if (arg == "--dump-dir") o.dumpDir = value;
      else if (arg == "--svg-dir") o.svgDir = value;
      else if (arg == "--wind") good = ParseFinite(value, o.wind);
      else if (arg == "--wind-speed") good = ParsePositive(value, o.windSpeed);
      else if (arg == "--probe" || arg == "--flux" || arg == "--zone")
        good = ParseQuery(arg, value, o.queries);
      else if (arg == "--dump") o.dump = value;
      else if (arg == "--png") o.png = value;
      else if (arg == "--csv") o.csv = value;
      else if (arg == "--vtk") o.vtk = value;
      else o.svg = value;
      if (!good || value.empty()) return UsageError("valor inválido para " + arg + ": '" + value + "'");
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("opção desconhecida " + arg);
    } else {
      o.drawings.push_back(arg);
    }
  }
  if (o.tolerance > 0 && o.scheme != SolverScheme::Literal) {
    return UsageError("--tolerance só vale com --scheme literal");
  }
  if (!o.layers.empty()) {
    for (const std::string& drawing : o.drawings) {
      if (!IsDxfPath(drawing)) return UsageError("--layers só vale com desenhos DXF");
    }
  }
  return CheckDrawings(o);
}

// What ended a failed analysis, in words.
std::string FailureText(const std::exception_ptr& failure) {
  try {
    if (failure) std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    return "memória insuficiente para o cálculo";
  } catch (const std::exception& e) {
    return std::string("o cálculo falhou: ") + e.what();
  } catch (...) {
  }
  return "o cálculo falhou por um erro inesperado";
}

std::string AnalysisProblem(AnalysisOutcome outcome, SolverScheme scheme,
                            const std::exception_ptr& failure) {
  switch (outcome) {
    case AnalysisOutcome::EmptyDrawing: return "nada a analisar: o desenho está vazio";
    case AnalysisOutcome::NoArea: return "o desenho precisa ter largura e altura";
    case AnalysisOutcome::NotFinite:
      return "as coordenadas do desenho são grandes demais para o cálculo";
    case AnalysisOutcome::TooSmall: return "o desenho é pequeno demais para o cálculo";
    case AnalysisOutcome::Collapsed:
      return "o desenho está longe demais da origem para o seu tamanho: as células da grade "
             "não se distinguem";
    case AnalysisOutcome::NoResult: return "o cálculo deu valores não finitos";
    case AnalysisOutcome::NotConverged:
      // Only the literal scheme's tolerance can be chosen.
      if (scheme == SolverScheme::Literal) {
        return "o escoamento não convergiu no limite de varreduras (experimente uma --tolerance "
               "maior)";
      }
      return "o escoamento não convergiu no limite de iterações";
    case AnalysisOutcome::Failed: return FailureText(failure);
    case AnalysisOutcome::Done:
    case AnalysisOutcome::Stopped: break;
  }
  return "";
}

// An output of the run: where it goes, how it is written, and the text
// written, made before anything is written.
struct Output {
  std::string path;
  std::function<bool(std::FILE*)> write;
  std::string text;
};

std::string OutputName(const std::string& path) { return path == "-" ? "saída padrão" : path; }

// Makes the text of every output; false with the error when memory runs out
// or a number in one is not finite (walls too wide for the picture, say):
// such an output is no result, and nothing is written.
bool MakeOutputs(std::vector<Output>& outputs, std::string& error) {
  for (Output& out : outputs) {
    try {
      out.text = WrittenText(out.write);
    } catch (const std::bad_alloc&) {
      error = OutputName(out.path) + ": memória insuficiente; nada foi escrito";
      return false;
    }
    if (!NumbersAreFinite(out.text)) {
      error = OutputName(out.path) + ": a saída teria números que não são finitos (inf ou nan); "
              "nada foi escrito";
      return false;
    }
  }
  return true;
}

// Writes with `write` to the path, or to standard output for "-".
bool WriteOutput(const std::string& path, const std::function<bool(std::FILE*)>& write,
                 std::string& error) {
  if (path == "-") {
    const bool ok = write(stdout) && std::fflush(stdout) == 0;
    if (!ok) error = "saída padrão: erro de escrita";
    return ok;
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    error = path + ": " + std::generic_category().message(errno);
    return false;
  }
  bool ok = write(file);
  if (std::fclose(file) != 0) ok = false;
  if (!ok) error = path + ": erro de escrita";
  return ok;
}

// The read-out of a query, as the window shows it, after what was asked.
std::string Answer(const AnalysisResult& result, const Query& q) {
  const std::vector<double>& v = q.values;
  if (q.kind == "--probe") return "sonda " + q.text + ": " + ProbeText(SampleField(result, v[0], v[1]));
  if (q.kind == "--flux") {
    return "linha " + q.text + ": " + FluxText(result, MeasureFlux(result, v[0], v[1], v[2], v[3]));
  }
  return "zona " + q.text + ": " +
         ZoneText(result, MeasureZone(result, std::fmin(v[0], v[2]), std::fmax(v[0], v[2]),
                                      std::fmin(v[1], v[3]), std::fmax(v[1], v[3])));
}

// Reads a drawing file, or the walls of a DXF plan on the chosen layers
// (saying on standard error what was read, skipped and left out).
bool ReadDrawing(const Options& o, EntityList& drawing, std::string& error) {
  if (IsDxfPath(o.drawing)) {
    DxfPlan plan;
    DxfWalls dxf;
    if (!plan.Read(o.drawing, error) || !plan.Walls(o.layers, dxf, error)) return false;
    std::fprintf(stderr, "brisel-flow: %s: %s\n", o.drawing.c_str(), plan.Summary(dxf).c_str());
    ReplaceWithWalls(dxf.walls, o.wallWidth, drawing);
    return true;
  }
  ReadReport report;
  if (!LoadDrawingFile(o.drawing, o.wallWidth, drawing, report, error)) return false;
  // An analysis of part of the drawing would look like a result for all of it.
  if (!report.complete) {
    error = "a leitura " + report.StopSummary() + "; nada foi analisado";
    return false;
  }
  return true;
}

// Analyses the drawing o.drawing and writes the outputs o names; answers
// the exit status, having said on standard error why it is not 0.  Any
// number of these may run at once.
int AnalyseDrawing(const Options& o) {
  EntityList drawing;
  std::string error;
  if (!ReadDrawing(o, drawing, error)) return Failure(o.drawing + ": " + error);
  const std::vector<Wall> walls = drawing.walls();

  AnalysisOptions options;
  options.scheme = o.scheme;
  options.tolerance = o.tolerance;
  options.cells = o.cells;
  options.windDirection = o.wind;
  options.windSpeed = o.windSpeed;
  if (o.scheme == SolverScheme::Literal) {
    options.maxSweeps = kMaxCellUpdates / (static_cast<long>(o.cells) * o.cells);
  }
  const AnalysisResult result = Analyse(walls, options);
  if (result.outcome != AnalysisOutcome::Done) {
    return Failure(o.drawing + ": " + AnalysisProblem(result.outcome, o.scheme, result.failure));
  }

  std::vector<Output> outputs;
  const auto add = [&outputs](const std::string& path, std::function<bool(std::FILE*)> write) {
    if (!path.empty()) outputs.push_back({path, std::move(write), ""});
  };
  const auto picture = [&](std::FILE* f) { return WriteFlowPicture(f, walls, result, o.colours); };
  add(o.dump, [&](std::FILE* f) { return WriteFlowDump(f, result); });
  add(o.svg, picture);
  add(o.csv, [&](std::FILE* f) { return WriteFieldCsv(f, result); });
  add(o.vtk, [&](std::FILE* f) { return WriteFieldVtk(f, result); });
  // The PNG is the picture's SVG, checked as the other outputs, rendered.
  std::vector<Output> png;
  if (!o.png.empty()) png.push_back({o.png, picture, ""});
  if (!MakeOutputs(outputs, error) || !MakeOutputs(png, error)) return Failure(error);
  if (!png.empty()) {
    std::string bytes;
    if (!RenderSvgToPng(png[0].text, bytes, error)) return Failure(o.png + ": " + error);
    png[0].text = bytes;
    outputs.push_back(png[0]);
  }
  for (const Output& out : outputs) {
    const auto copy = [&out](std::FILE* f) {
      return std::fwrite(out.text.data(), 1, out.text.size(), f) == out.text.size();
    };
    if (!WriteOutput(out.path, copy, error)) return Failure(error);
  }
  for (const Query& q : o.queries) std::printf("%s\n", Answer(result, q).c_str());
  return std::fflush(stdout) == 0 ? 0 : Failure("saída padrão: erro de escrita");
}

// The options for one drawing of those given: its outputs, named after it
// in the folders given.
Options ForDrawing(const Options& o, const std::string& path) {
  Options one = o;
  one.drawing = path;
  if (!o.dumpDir.empty()) one.dump = OutputIn(o.dumpDir, path, ".dump");
  if (!o.svgDir.empty()) one.svg = OutputIn(o.svgDir, path, ".svg");
  return one;
}

// Analyses every drawing, `jobs` at a time, each on a thread of its own
// taking the next drawing not yet taken; 1 when any failed.
int AnalyseAll(const Options& o) {
  const unsigned cores = std::thread::hardware_concurrency();
  const size_t jobs = o.jobs > 0 ? size_t(o.jobs) : cores > 0 ? cores : 1;
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  const auto work = [&] {
    for (size_t i = next++; i < o.drawings.size(); i = next++) {
      const std::string& path = o.drawings[i];
      int status = 1;
      try {
        status = AnalyseDrawing(ForDrawing(o, path));
      } catch (...) {
        Failure(path + ": " + FailureText(std::current_exception()));
      }
      if (status != 0) failed = true;
    }
  };
  std::vector<std::thread> threads;
  for (size_t t = 1; t < std::min(jobs, o.drawings.size()); ++t) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  return failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (const int status = ParseArguments(argc, argv, o)) return status;
  return AnalyseAll(o);
}
