// The ventilation study in the window: the wind's direction and speed
// fields, which pictures of the flow the canvas shows, and the read-outs
// of the probe and of "Medir".
#include <cstdio>
#include <string>

#include "flow/field.h"
#include "shell/commands.h"
#include "shell/modes.h"
#include "shell/number_fields.h"
#include "view/view.h"

namespace cmd {

namespace {

constexpr const char* kNoFlow = "Sem escoamento calculado: use Calcular antes de medir.";

void ShowNumber(tk::Element* field, double value) { tk::SetfAttribute(field, "VALUE", "%g", value); }

int ShowLayers(Workspace& ws, const tk::Event& ev, FlowLayers layers) {
  if (ev.state == 0) return tk::kDefault;  // the toggle switched off by its companion
  ws.layers = layers;
  ViewRedisplay(handles.datascreen);
  return tk::kDefault;
}

}  // namespace

// A new direction makes the flow shown a flow of another wind: the picture
// goes, as on an edit of the drawing, and the next "Calcular" lays its grid
// along the new wind; in live mode the new wind's flow is computed at once.
// A value that is not a direction puts the field back and says why.
int WindSet(Workspace& ws, const tk::Event& ev) {
  double degrees = ws.options.windDirection;
  if (!shell::ParseCompassDegrees(tk::GetAttribute(ev.element, "VALUE"), degrees)) {
    ShowNumber(ev.element, ws.options.windDirection);
    ShowPrompt(nullptr, "Vento: dê a direção de onde ele vem em graus, de 0 a 360 (0 norte, 90 leste).");
    return tk::kDefault;
  }
  if (degrees == ws.options.windDirection) return tk::kDefault;
  ws.options.windDirection = degrees;
  if (OptionsChanged(ws)) return tk::kDefault;
  if (ws.result.grid.cellCount > 0) {
    ReleaseGridWhenFree(ws);
    ShowPrompt(nullptr, "O vento mudou: Calcular mostra o escoamento do novo vento.");
  }
  ViewRedisplay(handles.datascreen);
  return tk::kDefault;
}

// The potential flow scales with the wind: a new speed only changes the
// figures read from the flow shown.
int WindSpeedSet(Workspace& ws, const tk::Event& ev) {
  double speed = ws.options.windSpeed;
  if (!shell::ReadFinitePositive(ev.element, speed)) {
    ShowNumber(ev.element, ws.options.windSpeed);
    ShowPrompt(nullptr, "Velocidade: dê a velocidade do vento em m/s, um número maior que zero.");
    return tk::kDefault;
  }
  ws.options.windSpeed = ws.result.windSpeed = speed;
  ViewRedisplay(handles.datascreen);
  return tk::kDefault;
}

int ShowStreamlines(Workspace& ws, const tk::Event& ev) {
  return ShowLayers(ws, ev, FlowLayers::Streamlines);
}
int ShowColours(Workspace& ws, const tk::Event& ev) { return ShowLayers(ws, ev, FlowLayers::Colours); }
int ShowBoth(Workspace& ws, const tk::Event& ev) { return ShowLayers(ws, ev, FlowLayers::Both); }

void SetStudyActions(ModeActions& actions, Workspace& ws) {
  actions.probe = [&ws](double x, double y) -> std::string {
    const AnalysisResult& result = ws.shownResult();
    if (!HasSolvedField(result)) return "";
    return ProbeText(SampleField(result, x, y));
  };
  actions.measureLine = [&ws](double x0, double y0, double x1, double y1) -> std::string {
    if (!HasSolvedField(ws.result)) return kNoFlow;
    return FluxText(ws.result, MeasureFlux(ws.result, x0, y0, x1, y1));
  };
  actions.measureZone = [&ws](double xmin, double xmax, double ymin, double ymax) -> std::string {
    if (!HasSolvedField(ws.result)) return kNoFlow;
    return ZoneText(ws.result, MeasureZone(ws.result, xmin, xmax, ymin, ymax));
  };
}

}  // namespace cmd
