#include "shell/credits.h"

#include <string>

namespace shell {

namespace {

const char kFont[] = "TIMES_BOLD_12";

struct CreditsWindow {
  tk::Element* dialog = nullptr;
  tk::Element* pages = nullptr;
  tk::Element* closeButton = nullptr;
  // Written into the button at every show: while the window is being built
  // the button reads " Please Wait ".
  std::string closeTitle;
};
CreditsWindow credits;

tk::Element* Blank() { return tk::Label(" "); }

tk::Element* Centred(const std::string& text) {
  return tk::HBox({tk::Fill(), tk::Label(text), tk::Fill()});
}

tk::Element* TextBlock() {
  tk::Element* block = tk::VBox({
      Blank(),
      Centred("Brisel - Programa para Estudo do Conforto em Ambientes Construídos"),
      Blank(),
      Centred(""),
      Blank(),
      Centred("Projeto Brisel"),
      Centred("Estudos de ventilação natural e"),
      Centred(" Grupo de desenvolvimento do Brisel "),
      Blank(),
      Centred("Desenvolvido por: a equipe do projeto Brisel"),
      Blank(),
      Centred("email: (sem endereço de contato)"),
      Centred(" "),
      Blank(),
      Centred("(sem página na web)"),
      Blank(),
      Centred("Dezembro de 2026"),
  });
  tk::SetAttribute(block, "FONT", kFont);
  return block;
}

tk::Element* Page(const std::string& name) {
  tk::Element* page = tk::VBox({TextBlock(), tk::HBox({tk::Fill(), tk::Fill()})});
  tk::SetHandle(name, page);
  return page;
}

int CloseCredits(const tk::Event&) {
  tk::Hide(credits.dialog);
  return tk::kDefault;
}

// Both pages hold the same text; the switch is kept for a translated page.
int SwitchCreditsPage(const tk::Event&) {
  const bool english = tk::GetAttribute(credits.pages, "VALUE") == "msgeng";
  tk::SetAttribute(credits.pages, "VALUE", english ? "msgpor" : "msgeng");
  return tk::kDefault;
}

void BuildCredits() {
  tk::Element* english = Page("msgeng");
  tk::Element* portuguese = Page("msgpor");
  credits.pages = tk::ZBox({english, portuguese});
  tk::SetAttribute(credits.pages, "VALUE", "msgeng");

  credits.closeButton = tk::Button(" Please Wait ", "closedlg");
  credits.dialog = tk::Dialog(tk::Frame(tk::VBox({
      credits.pages,
      Blank(),
      tk::HBox({tk::Fill(), credits.closeButton, tk::Fill()}),
      Blank(),
  })));

  tk::SetFunction("closedlg", CloseCredits);
  tk::SetFunction("setlanguage", SwitchCreditsPage);

  tk::SetAttribute(credits.closeButton, "FONT", kFont);
  tk::SetAttribute(credits.dialog, "TOPMOST", "YES");
  tk::SetAttribute(credits.dialog, "MINBOX", "OFF");
  tk::SetAttribute(credits.dialog, "MAXBOX", "OFF");
  tk::SetAttribute(credits.dialog, "RESIZE", "OFF");
  tk::SetAttribute(credits.dialog, "TITLE", "Brisel - Créditos");
  // Esc and Enter close the window as its button does.
  tk::SetAttribute(credits.dialog, "K_ESC", "closedlg");
  tk::SetAttribute(credits.dialog, "K_CR", "closedlg");
}

}  // namespace

int ShowCredits() {
  credits.closeTitle = " Fechar ";
  if (!credits.dialog) BuildCredits();
  tk::SetAttribute(credits.closeButton, "TITLE", credits.closeTitle);
  tk::ShowXY(credits.dialog, tk::kCenter, tk::kCenter);
  return tk::kDefault;
}

tk::Element* CreditsDialog() { return credits.dialog; }
tk::Element* CreditsCloseButton() { return credits.closeButton; }

}  // namespace shell
