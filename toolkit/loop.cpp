// Showing dialogs, the event loop, and the standard dialogs: message box,
// file selection and data entry.  With scripting on, every modal dialog takes
// its answer from the test script instead of waiting for the user.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>

#include "toolkit/element.h"
#include "toolkit/file_dialog.h"
#include "toolkit/rules.h"
#include "toolkit/widgets_internal.h"

namespace tk {

namespace {

bool ContainsCanvas(Element* e) {
  if (e->kind == "canvas") return true;
  for (auto& child : e->children)
    if (ContainsCanvas(child.get())) return true;
  return false;
}

bool IsDialog(Element* e) { return e && e->kind == "dialog"; }

void PlaceWindow(Fl_Window* window, int x, int y) {
  if (x < 0) x = (Fl::w() - window->w()) / 2;
  if (y < 0) y = (Fl::h() - window->h()) / 2;
  window->position(std::max(x, 0), std::max(y, 0));
}

// Waits until the window system has the window on screen, so that OpenGL
// can draw into it right away, and paints it once.
void WaitUntilMapped(Fl_Window* window) {
  for (int i = 0; i < 300 && window->shown(); ++i) {
    XSync(fl_display, False);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(fl_display, fl_xid(window), &attributes) &&
        attributes.map_state == IsViewable)
      break;
    Fl::wait(0.01);
  }
  Fl::check();
  Fl::flush();
}

// Shows the window modally with the focus on `first` and waits until it is
// closed.
void RunModal(Fl_Window* window, Fl_Widget* first) {
  window->set_modal();
  window->show();
  FocusAndSelect(first);
  while (window->shown()) Fl::wait();
  window->clear_modal_states();
}

// Scripted answer for a dialog the application built itself: "name=text"
// sets the VALUE of the element registered as name, any other value is the
// name of a command, called as if a button of the dialog had fired it.  With
// no answer, or a cancelling one, the dialog is closed by its close box.
void AnswerDialogFromScript(Element* dialog) {
  CountScriptedPopup();
  test::Answer answer;
  if (!TakeAnswer(answer) || answer.cancel) {
    if (Invoke(dialog, "CLOSE_CB", Event{}) != kIgnore) CloseDialog(dialog);
    return;
  }
  for (const std::string& value : answer.values) {
    size_t equals = value.find('=');
    if (equals != std::string::npos) {
      SetAttribute(GetHandle(value.substr(0, equals)), "VALUE", value.substr(equals + 1));
      continue;
    }
    Callback command = GetFunction(value);
    if (!command) continue;
    Event event;
    event.element = dialog;
    int result = kDefault;
    try {
      result = command(event);
    } catch (...) {
      result = kDefault;
    }
    if (result == kClose) CloseDialog(dialog);
  }
}

bool English() { return GetLanguage() == "ENGLISH"; }

// A dialog without a title is named after what it does.
std::string FileDialogTitle(const std::string& title, bool save) {
  if (!title.empty()) return title;
  if (save) return English() ? "Save file" : "Salvar arquivo";
  return English() ? "Open file" : "Abrir arquivo";
}

// The path chosen in the file dialog `request` describes, or false when it
// was cancelled; with scripting on, the next scripted answer decides.
bool ChooseFile(const FileDialogRequest& request, std::string& chosen) {
  if (!Scripting()) return RunFileDialog(request, chosen);
  CountScriptedPopup();
  test::Answer answer;
  if (!TakeAnswer(answer) || answer.cancel || answer.values.empty()) return false;
  chosen = answer.values[0];
  return true;
}

void PopupFileDialog(Element* dialog) {
  dialog->attrs.erase("VALUE");
  FileDialogRequest request;
  const bool save = GetAttribute(dialog, "DIALOGTYPE") == "SAVE";
  request.title = FileDialogTitle(GetAttribute(dialog, "TITLE"), save);
  request.folder = GetAttribute(dialog, "DIRECTORY");
  request.filter = GetAttribute(dialog, "FILTER");
  request.filterInfo = GetAttribute(dialog, "FILTERINFO");
  request.mustExist = !save;
  std::string chosen;
  if (ChooseFile(request, chosen)) {
    dialog->attrs["STATUS"] = IsRegularFile(chosen) ? "0" : "1";
    dialog->attrs["VALUE"] = chosen;
  } else {
    dialog->attrs["STATUS"] = "-1";
  }
}

// ---- Data entry ----------------------------------------------------------------------

struct ParamDialogState {
  Fl_Window* window = nullptr;
  bool confirmed = false;
};

void ParamConfirm(Fl_Widget*, void* data) {
  auto* state = static_cast<ParamDialogState*>(data);
  state->confirmed = true;
  state->window->hide();
}

void ParamCancel(Fl_Widget*, void* data) {
  auto* state = static_cast<ParamDialogState*>(data);
  state->confirmed = false;
  state->window->hide();
}

// Shows the form with the texts as starting values; on confirm the texts
// hold what the user typed.
bool RunParamDialog(const rules::ParamForm& form, std::vector<std::string>& texts) {
  fl_open_display();
  fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
  int labelWidth = 0, fieldWidth = 80;
  for (const auto& field : form.fields) {
    labelWidth = std::max(labelWidth, static_cast<int>(fl_width(field.label.c_str())) + 10);
    fieldWidth = std::max(fieldWidth, static_cast<int>(fl_width("0") * (field.width + 2)));
  }
  const int row = 30, margin = 10;
  int width = std::max(margin * 2 + labelWidth + fieldWidth, 220);
  int height = margin * 2 + row * static_cast<int>(form.fields.size()) + 40;
  ParamDialogState state;
  Fl_Window window(width, height);
  state.window = &window;
  window.copy_label(form.title.c_str());
  std::vector<Fl_Input*> inputs;
  for (size_t i = 0; i < form.fields.size(); ++i) {
    int y = margin + row * static_cast<int>(i);
    auto* label = new Fl_Box(margin, y, labelWidth, row - 5);
    label->copy_label(form.fields[i].label.c_str());
    label->align(FL_ALIGN_RIGHT | FL_ALIGN_INSIDE);
    auto* input = new Fl_Input(margin + labelWidth, y, fieldWidth, row - 5);
    if (form.fields[i].maxLength > 0) input->maximum_size(form.fields[i].maxLength);
    input->value(texts[i].c_str());
    inputs.push_back(input);
  }
  bool english = English();
  int buttonsY = height - margin - 28;
  auto* confirm = new Fl_Return_Button(width / 2 - 100, buttonsY, 95, 28,
                                       english ? "OK" : "Confirma");
  confirm->callback(ParamConfirm, &state);
  auto* cancel = new Fl_Button(width / 2 + 5, buttonsY, 95, 28, english ? "Cancel" : "Cancela");
  cancel->callback(ParamCancel, &state);
  cancel->shortcut(FL_Escape);
  window.end();
  window.callback(ParamCancel, &state);  // the close box and Esc cancel
  PlaceWindow(&window, -1, -1);
  RunModal(&window, inputs.empty() ? nullptr : inputs.front());
  if (!state.confirmed) return false;
  for (size_t i = 0; i < inputs.size(); ++i) texts[i] = inputs[i]->value();
  return true;
}

// ---- Questions -----------------------------------------------------------------------

struct ChoiceState {
  Fl_Window* window = nullptr;
  int chosen = -1;
};

struct ChoiceButton {
  ChoiceState* state;
  int index;
};

void ChoiceClicked(Fl_Widget*, void* data) {
  auto* button = static_cast<ChoiceButton*>(data);
  button->state->chosen = button->index;
  button->state->window->hide();
}

void ChoiceClosed(Fl_Widget*, void* data) {
  auto* state = static_cast<ChoiceState*>(data);
  state->chosen = -1;
  state->window->hide();
}

// The text of a question, wrapped at the top of its window.
void AddQuestionText(const std::string& text, int margin, int width, int height) {
  auto* label = new Fl_Box(margin, margin, width, height);
  label->copy_label(text.c_str());
  label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
}

// Shows the question window modally, the focus on `first`, until one of its
// buttons, its close box or Esc ends it.
void RunQuestion(Fl_Window& window, ChoiceState& state, Fl_Widget* first) {
  window.end();
  window.callback(ChoiceClosed, &state);  // the close box and Esc
  PlaceWindow(&window, -1, -1);
  RunModal(&window, first);
}

int RunChoiceDialog(const std::string& title, const std::string& text,
                    const std::vector<std::string>& answers) {
  fl_open_display();
  fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
  const int margin = 12, buttonH = 28, gap = 8;
  int buttonW = 90;
  for (const std::string& answer : answers)
    buttonW = std::max(buttonW, static_cast<int>(fl_width(answer.c_str())) + 24);
  const int buttonsW = static_cast<int>(answers.size()) * (buttonW + gap) - gap;
  int textW = std::max(420, buttonsW), textH = 0;
  fl_measure(text.c_str(), textW, textH, 0);
  // The label keeps a few pixels free at its sides, or it would wrap the
  // measured lines again.
  textW = std::max(textW + 8, buttonsW);
  const int width = textW + 2 * margin;
  const int height = margin + textH + margin + buttonH + margin;
  ChoiceState state;
  Fl_Window window(width, height);
  state.window = &window;
  window.copy_label(title.c_str());
  AddQuestionText(text, margin, textW, textH);
  std::vector<ChoiceButton> buttons(answers.size());
  Fl_Button* first = nullptr;
  int x = (width - buttonsW) / 2;
  for (size_t i = 0; i < answers.size(); ++i) {
    buttons[i] = ChoiceButton{&state, static_cast<int>(i)};
    Fl_Button* b = i == 0 ? new Fl_Return_Button(x, height - margin - buttonH, buttonW, buttonH)
                          : new Fl_Button(x, height - margin - buttonH, buttonW, buttonH);
    b->copy_label(answers[i].c_str());
    b->callback(ChoiceClicked, &buttons[i]);
    if (!first) first = b;
    x += buttonW + gap;
  }
  RunQuestion(window, state, first);
  return state.chosen;
}

bool RunCheckListDialog(const std::string& title, const std::string& text,
                        const std::vector<std::string>& items, std::vector<bool>& checked) {
  fl_open_display();
  fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
  const int margin = 12, buttonW = 90, buttonH = 28, gap = 8, rowH = 20;
  int textW = 360, textH = 0;
  fl_measure(text.c_str(), textW, textH, 0);
  textW = std::max(textW + 8, 360);
  const int rows = std::min(12, std::max(3, static_cast<int>(items.size())));
  const int listH = rows * rowH + 4;
  const int width = textW + 2 * margin;
  const int height = margin + textH + gap + listH + margin + buttonH + margin;
  ChoiceState state;
  Fl_Window window(width, height);
  state.window = &window;
  window.copy_label(title.c_str());
  AddQuestionText(text, margin, textW, textH);
  auto* list = new Fl_Check_Browser(margin, margin + textH + gap, textW, listH);
  for (size_t i = 0; i < items.size(); ++i)
    list->add(items[i].c_str(), i < checked.size() && checked[i] ? 1 : 0);
  ChoiceButton ok{&state, 0}, cancel{&state, 1};
  const int buttonY = height - margin - buttonH, x = (width - 2 * buttonW - gap) / 2;
  auto* okButton = new Fl_Return_Button(x, buttonY, buttonW, buttonH, "OK");
  okButton->callback(ChoiceClicked, &ok);
  auto* cancelButton = new Fl_Button(x + buttonW + gap, buttonY, buttonW, buttonH, "Cancelar");
  cancelButton->callback(ChoiceClicked, &cancel);
  RunQuestion(window, state, list);
  if (state.chosen != 0) return false;
  checked.assign(items.size(), false);
  for (size_t i = 0; i < items.size(); ++i)
    checked[i] = list->checked(static_cast<int>(i) + 1) != 0;
  return true;
}

bool CheckFromScript(const std::vector<std::string>& items, std::vector<bool>& checked) {
  CountScriptedPopup();
  test::Answer answer;
  if (!TakeAnswer(answer) || answer.cancel) return false;
  checked.assign(items.size(), false);
  for (size_t i = 0; i < items.size(); ++i)
    checked[i] =
        std::find(answer.values.begin(), answer.values.end(), items[i]) != answer.values.end();
  return true;
}

int ChooseFromScript(const std::vector<std::string>& answers) {
  CountScriptedPopup();
  test::Answer answer;
  if (!TakeAnswer(answer) || answer.cancel || answer.values.empty()) return -1;
  auto it = std::find(answers.begin(), answers.end(), answer.values[0]);
  return it == answers.end() ? -1 : static_cast<int>(it - answers.begin());
}

}  // namespace

// ---- Showing -------------------------------------------------------------------------------

void Map(Element* dialog) {
  if (!IsDialog(dialog)) return;
  BuildDialog(dialog);
  NoteDialogShown(dialog);
  // An OpenGL context needs a window on screen; dialogs without a canvas
  // wait until they are shown.
  if (ContainsCanvas(dialog) && !dialog->window->shown()) {
    PlaceWindow(dialog->window, -1, -1);
    dialog->window->show();
    dialog->attrs["VISIBLE"] = "YES";
    WaitUntilMapped(dialog->window);
  }
}

void ShowXY(Element* dialog, int x, int y) {
  if (!IsDialog(dialog)) return;
  BuildDialog(dialog);
  NoteDialogShown(dialog);
  PlaceWindow(dialog->window, x, y);
  dialog->window->show();
  dialog->attrs["VISIBLE"] = "YES";
}

void Show(Element* dialog) {
  if (!IsDialog(dialog)) return;
  if (dialog->window && dialog->window->shown()) {
    dialog->window->show();  // raises it
    return;
  }
  ShowXY(dialog, kCenter, kCenter);
}

void Hide(Element* dialog) {
  if (!IsDialog(dialog)) return;
  dialog->attrs["VISIBLE"] = "NO";
  if (dialog->window) dialog->window->hide();
}

bool IsVisible(Element* dialog) {
  if (!IsDialog(dialog)) return false;
  return dialog->window && dialog->window->shown() && dialog->window->visible();
}

int Popup(Element* dialog, int x, int y) {
  if (!dialog) return -1;
  if (dialog->kind == "filedlg") {
    PopupFileDialog(dialog);
    return 0;
  }
  if (!IsDialog(dialog)) return -1;
  if (Scripting()) {
    AnswerDialogFromScript(dialog);
    return 0;
  }
  BuildDialog(dialog);
  PlaceWindow(dialog->window, x, y);
  dialog->attrs["VISIBLE"] = "YES";
  dialog->window->set_modal();
  dialog->window->show();
  FocusFirstField(dialog);
  // The dialog may be destroyed by one of its own commands.
  while (dialog->window && dialog->window->shown() && !LoopExitRequested()) Fl::wait();
  if (dialog->window) {
    dialog->window->clear_modal_states();
    dialog->attrs["X"] = std::to_string(dialog->window->x());
    dialog->attrs["Y"] = std::to_string(dialog->window->y());
  }
  return 0;
}

void MainLoop() {
  // A request made inside LoopStep is seen only here, after the computation
  // that called LoopStep has returned.
  while (!LoopExitRequested()) Fl::wait(0.25);
  Open();  // clears the request, so that a later loop runs again
}

void LoopStep() {
  DeliverQueuedEvents();
  Fl::check();
}

void LoopWait(double seconds) {
  DeliverQueuedEvents();
  Fl::wait(seconds);
}

void ExitLoop() { RequestLoopExit(); }

// ---- Standard dialogs ---------------------------------------------------------------------

void Message(const std::string& title, const std::string& text) {
  if (Scripting()) {
    RecordMessage(title, text);
    return;
  }
  // Every message the program shows reports a problem or a result, never a
  // question, so the box carries the warning sign and a single "OK".
  const char* const closeLabel = fl_close;
  fl_close = "OK";
  fl_message_title(title.c_str());
  fl_alert("%s", text.c_str());
  fl_close = closeLabel;
}

int Choose(const std::string& title, const std::string& text,
           const std::vector<std::string>& answers) {
  if (Scripting()) {
    RecordMessage(title, text);
    return ChooseFromScript(answers);
  }
  return RunChoiceDialog(title, text, answers);
}

bool ChooseSeveral(const std::string& title, const std::string& text,
                   const std::vector<std::string>& items, std::vector<bool>& checked) {
  if (Scripting()) {
    RecordMessage(title, text);
    return CheckFromScript(items, checked);
  }
  return RunCheckListDialog(title, text, items, checked);
}

int GetFile(std::string& path) {
  const size_t slash = path.find_last_of('/');
  FileDialogRequest request;
  request.title = FileDialogTitle("", true);
  request.folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  request.filter = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string chosen;
  if (!ChooseFile(request, chosen)) return -1;
  path = chosen;
  return IsRegularFile(chosen) ? 0 : 1;
}

int GetParam(const std::string& format, std::initializer_list<void*> fields) {
  rules::ParamForm form;
  if (!rules::ParseParamForm(format, form)) return -1;
  std::vector<void*> variables(fields);
  std::vector<std::string> texts;
  for (size_t i = 0; i < form.fields.size(); ++i)
    texts.push_back(
        rules::FormatParamValue(form.fields[i], i < variables.size() ? variables[i] : nullptr));
  if (Scripting()) {
    test::Answer answer;
    if (!TakeAnswer(answer) || answer.cancel) return -1;
    for (size_t i = 0; i < answer.values.size() && i < texts.size(); ++i)
      texts[i] = answer.values[i];
  } else if (!RunParamDialog(form, texts)) {
    return -1;
  }
  return rules::ReadParamForm(form, texts, variables);
}

}  // namespace tk
