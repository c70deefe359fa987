#include "shell/main_window.h"

#include <string>

#include "toolkit/toolkit.h"

namespace shell {

const char kMainTitle[] =
    "BRISEL - Programa para Análise de Ventilação em Ambientes Construídos";

// The tree is built from the leaves up: each named element is made, given its
// attributes and registered before the box that holds it, so the names are
// registered in the order the statements below make them.
namespace {

using tk::Element;

Element* Named(const std::string& name, Element* e) {
  tk::SetHandle(name, e);
  return e;
}

Element* Centred(Element* box) {
  tk::SetAttribute(box, "ALIGNMENT", "ACENTER");
  return box;
}

void RegisterColours() {
  Named("white", tk::Color(255, 255, 255));
  Named("blue", tk::Color(0, 0, 200));
  Named("black", tk::Color(0, 0, 0));
  Named("red", tk::Color(255, 0, 0));
}

Element* MenuBar() {
  Element* file = Named("file", tk::Submenu("Arquivo", tk::Menu({
                                    tk::Item("Abrir...", "ProjReadFile"),
                                    tk::Item("Salvar...", "ProjSaveFile"),
                                    tk::Separator(),
                                    tk::Item("Exportar imagem...", "ProjExportImage"),
                                    tk::Item("Exportar campo...", "ProjExportField"),
                                    tk::Separator(),
                                    tk::Item("Sair", "Exit"),
                                })));
  Element* study = Named("study", tk::Submenu("Estudo", tk::Menu({
                                      tk::Item("Medir", "Measure"),
                                  })));
  Element* about = tk::Item("Sobre..", "ProjInfo");
  return Named("bar", tk::Menu({file, study, about}));
}

Element* Canvas() {
  Element* c = tk::GLCanvas("VisRedraw");
  tk::SetAttribute(c, "SCROLLBAR", "YES");
  tk::SetAttribute(c, "BUFFER", "DOUBLE");
  tk::SetAttribute(c, "COLOR", "RGBA");
  tk::SetAttribute(c, "DEPTH_SIZE", "16");
  tk::SetAttribute(c, "HLIMITFACTOR", "5.0");
  tk::SetAttribute(c, "VLIMITFACTOR", "5.0");
  tk::SetAttribute(c, "WINDOWRESIZE_ADJUST", "NO");
  tk::SetAttribute(c, "ZOOMFACTOR", "1.2");
  tk::SetAttribute(c, "FITFACTOR", "1.10");
  tk::SetAttribute(c, "ZOOMFENCE_ADJUST", "YES");
  tk::SetAttribute(c, "ZOOMFENCE_DRAG", "NO");
  tk::SetAttribute(c, "PANLINE_DRAG", "NO");
  tk::SetAttribute(c, "BUTTON_CB", "PckMouseBt");
  tk::SetAttribute(c, "MOTION_CB", "PckMouseMv");
  tk::SetAttribute(c, "LEAVEWINDOW_CB", "PckEchoOff");
  tk::SetAttribute(c, "RASTERSIZE", "400x500");
  tk::SetAttribute(c, "RESIZE_CB", "VisResize");
  return Named("datascreen", c);
}

Element* ScaleDial() {
  Element* d = tk::Dial("VERTICAL");
  tk::SetAttribute(d, "PARENTCANVAS", "datascreen");
  tk::SetAttribute(d, "SIZE", "18x45");
  tk::SetAttribute(d, "BUTTON_PRESS_CB", "ScaleDialPress");
  tk::SetAttribute(d, "BUTTON_RELEASE_CB", "ScaleDialRelease");
  tk::SetAttribute(d, "MOUSEMOVE_CB", "ScaleDialChange");
  return Named("scaledial", d);
}

// A tool button shows its pictures instead of its title; an empty `pressed`
// means the button has no pressed picture.
Element* ToolButton(const std::string& title, const std::string& command,
                    const std::string& image, const std::string& pressed,
                    const std::string& tip) {
  Element* b = tk::Button(title, command);
  tk::SetAttribute(b, "PARENTCANVAS", "datascreen");
  tk::SetAttribute(b, "IMAGE", image);
  if (!pressed.empty()) tk::SetAttribute(b, "IMPRESS", pressed);
  tk::SetAttribute(b, "TIP", tip);
  return b;
}

Element* DrawingTools() {
  Element* del = Named("btdel", ToolButton("  Apagar  ", "Delete", "delete1img",
                                           "delete2img", "Apagar"));
  Element* keyboard =
      Named("btkeyboard", ToolButton("  Teclado  ", "Keyboard", "keyboard1img",
                                     "keyboard2img", "Teclado"));
  Element* line = Named("btline", ToolButton("   Linha  ", "Line", "line1img",
                                             "line2img", "Linha"));
  Element* sel = Named("btsel", ToolButton("   Seleção  ", "Select", "select1img",
                                           "select2img", "Seleção"));
  return tk::VBox({sel, line, keyboard, del});
}

Element* ViewTools(Element* dial) {
  return tk::VBox({
      ToolButton("  Redesenhar   ", "VisRedisplay", "redraw1img", "redraw2img",
                 "Redesenhar"),
      ToolButton("   Ampliar com Janela    ", "VisZoom", "zoom1img", "zoom2img",
                 "Ampliar com Janela"),
      ToolButton("  Ampliar  ", "VisZoomIn", "zoomin1img", "zoomin2img", "Ampliar"),
      ToolButton("  Reduzir ", "VisZoomOut", "zoomout1img", "zoomout2img", "Reduzir"),
      ToolButton("  Enquadrar  ", "VisFit", "fit1img", "fit2img", "Enquadrar"),
      Centred(tk::VBox({dial})),
      tk::Fill(),
      ToolButton(" Calcular ", "ViewGrid", "brisel6img", "", "Calcular"),
      tk::Fill(),
  });
}

Element* ToolColumn(Element* dial) {
  Element* drawing = DrawingTools();
  Element* view = ViewTools(dial);
  return Named("hbox_botao", tk::HBox({tk::Frame(tk::VBox({drawing, tk::Fill(), view}))}));
}

// A field for a positive number: `action` filters its keys and `commit`
// takes its value on Enter or when the field loses the focus.
Element* SizeField(const std::string& action, const std::string& commit) {
  Element* t = tk::Text(action);
  tk::SetAttribute(t, "PARENTCANVAS", "datascreen");
  tk::SetAttribute(t, "K_CR", commit);
  tk::SetAttribute(t, "KILLFOCUS_CB", commit);
  tk::SetAttribute(t, "SIZE", "33");
  return t;
}

// The grid step fields start at one world unit.
Element* GridStepField(const std::string& action, const std::string& commit) {
  Element* t = tk::Text(action);
  tk::SetAttribute(t, "VALUE", "1");
  tk::SetAttribute(t, "PARENTCANVAS", "datascreen");
  tk::SetAttribute(t, "K_CR", commit);
  tk::SetAttribute(t, "KILLFOCUS_CB", commit);
  tk::SetAttribute(t, "SIZE", "33");
  return t;
}

Element* Readout(const std::string& name) {
  Element* l = tk::Label("");
  tk::SetAttribute(l, "SIZE", "40");
  return Named(name, l);
}

Element* Gauge() {
  Element* g = tk::Gauge();
  tk::SetAttribute(g, "SHOW_TEXT", "NO");
  tk::SetAttribute(g, "EXPAND", "NO");
  tk::SetAttribute(g, "VALUE", "0");
  tk::SetAttribute(g, "SIZE", "150");
  tk::SetAttribute(g, "TEXT", "Processando...");
  return Named("gauge_name", g);
}

Element* SizedToggle(const std::string& name, const std::string& title,
                     const std::string& command) {
  Element* t = tk::Toggle(title, command);
  tk::SetAttribute(t, "SIZE", "55");
  return Named(name, t);
}

Element* GridSettings() {
  Element* gauge = Gauge();
  Element* snap = SizedToggle("snaptoggle", "Atração", "ProjSnapToGridOnOff");
  Element* ygrid = Named("ygrid", GridStepField("YsizeText", "YsizeSet"));
  Element* xgrid = Named("xgrid", GridStepField("XsizeText", "XsizeSet"));
  Element* grid = SizedToggle("grid_tgl", "Gride", "ProjGridOnOff");
  Element* row = Centred(tk::HBox({
      grid,
      Centred(tk::HBox({tk::Label(" X: "), xgrid})),
      Centred(tk::HBox({tk::Label(" Y: "), ygrid})),
      snap,
      gauge,
  }));
  return Named("vbox_grid", tk::VBox({row}));
}

Element* WidthField() {
  Element* t = tk::Text("WidthText");
  tk::SetAttribute(t, "PARENTCANVAS", "datascreen");
  tk::SetAttribute(t, "K_CR", "WidthSet");
  tk::SetAttribute(t, "VALUE", "0.15");
  tk::SetAttribute(t, "KILLFOCUS_CB", "WidthSet");
  tk::SetAttribute(t, "SIZE", "33");
  return Named("widthtext", t);
}

// A number field of the study row starting at `value`.
Element* StudyField(const std::string& name, const std::string& action, const std::string& commit,
                    const std::string& value) {
  Element* t = tk::Text(action);
  tk::SetAttribute(t, "VALUE", value);
  tk::SetAttribute(t, "K_CR", commit);
  tk::SetAttribute(t, "KILLFOCUS_CB", commit);
  tk::SetAttribute(t, "SIZE", "33");
  return Named(name, t);
}

// The wind, which pictures of the flow the canvas shows, and the probe's
// read-out of the flow under the cursor.
Element* StudyRow() {
  Element* wind = StudyField("windtext", "WindText", "WindSet", "270");
  Element* speed = StudyField("windspeedtext", "WindSpeedText", "WindSpeedSet", "1");
  Element* lines = Named("show_lines", tk::Toggle("Linhas", "ShowStreamlines"));
  tk::SetAttribute(lines, "VALUE", "ON");
  Element* colours = Named("show_colours", tk::Toggle("Cores", "ShowColours"));
  Element* both = Named("show_both", tk::Toggle("Ambos", "ShowBoth"));
  Element* probe = tk::Label("");
  tk::SetAttribute(probe, "SIZE", "260");
  Named("probetext", probe);
  return Centred(tk::HBox({
      Centred(tk::HBox({tk::Label(" Vento (°): "), wind})),
      Centred(tk::HBox({tk::Label(" Velocidade (m/s): "), speed})),
      Centred(tk::HBox({tk::Label(" Mostrar: "), tk::Radio(tk::HBox({lines, colours, both}))})),
      tk::Frame(tk::HBox({tk::Label(" Sonda: "), probe})),
  }));
}

Element* BottomBar() {
  Element* grid = GridSettings();
  Element* width = WidthField();
  Element* ypos = Readout("cursorypos");
  Element* xpos = Readout("cursorxpos");
  Element* htext = Named("htext", SizeField("HsizeText", "HsizeSet"));
  Element* vtext = Named("vtext", SizeField("VsizeText", "VsizeSet"));
  Element* study = StudyRow();
  return tk::VBox({
      Centred(tk::HBox({
          Centred(tk::HBox({tk::Label(" V: "), vtext})),
          Centred(tk::HBox({tk::Label(" H: "), htext})),
          tk::Frame(tk::HBox({tk::Label(" X: "), xpos})),
          tk::Frame(tk::HBox({tk::Label(" Y: "), ypos})),
          Centred(tk::HBox({tk::Label(" Espessura: "), width})),
          grid,
      })),
      study,
  });
}

// A toggle of the "Malha" choice, titled with its cells a side.
Element* CellsToggle(const std::string& cells) {
  return Named("cells" + cells + "_tgl", tk::Toggle(cells, "FlowGridCells"));
}

// Under the bar, the analysis's own settings: live mode, off at start, and
// the grid's cells a side, 60 at start.
Element* AnalysisSettings() {
  Element* live = SizedToggle("live_tgl", "Ao vivo", "FlowLiveOnOff");
  Element* coarse = CellsToggle("60");
  tk::SetAttribute(coarse, "VALUE", "ON");
  Element* cells = Named("cells_radio", tk::Radio(tk::HBox(
                                            {coarse, CellsToggle("120"), CellsToggle("240"),
                                             CellsToggle("400")})));
  return Named("analysis_bar", Centred(tk::HBox({live, tk::Label(" Malha: "), cells, tk::Fill()})));
}

Element* PromptLine() {
  Element* prompt = tk::Label("");
  tk::SetAttribute(prompt, "FGCOLOR", "255 0 0");
  tk::SetAttribute(prompt, "SIZE", "500");
  Named("datatopmsg", prompt);
  return Named("msg_frame", tk::Frame(tk::HBox({prompt, tk::Fill()})));
}

}  // namespace

void BuildMainWindow() {
  RegisterColours();
  MenuBar();  // the dialog finds it through its MENU attribute
  Element* canvas = Canvas();
  Element* dial = ScaleDial();
  Element* tools = ToolColumn(dial);
  Element* bottom = BottomBar();
  Element* analysis = AnalysisSettings();
  Element* drawingArea = Named("vbox_barra", tk::VBox({canvas, bottom, analysis}));
  Element* prompt = PromptLine();

  Element* main = tk::Dialog(tk::VBox({prompt, tk::HBox({tools, drawingArea})}));
  tk::SetAttribute(main, "TITLE", kMainTitle);
  tk::SetAttribute(main, "MENU", "bar");
  tk::SetAttribute(main, "FGCOLOR", "0 0 0");
  tk::SetAttribute(main, "K_ANY", "KeyCrtl");
  tk::SetAttribute(main, "CLOSE_CB", "Exit");  // the close box asks like "Sair"
  Named("main", main);
}

}  // namespace shell
