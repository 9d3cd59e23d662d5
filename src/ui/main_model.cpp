#include "ui/main_model.h"

#include "app/language_store.h"
#include "base/text.h"
#include "platform/dialogs.h"
#include "platform/process.h"

namespace corvane {
namespace {

constexpr int kKeyD = 68;
constexpr int kKeyR = 82;

struct Confirmation {
    const char* title;
    const char* repair;
    const char* restore;
};

constexpr Confirmation kSpanish{"ATENCION!", "Reparamos las Bases de Datos?", "Restauramos las Bases de Datos?"};
constexpr Confirmation kEnglish{"ATTENTION!", "Repair Data Bases?", "Restore Data Bases?"};
constexpr Confirmation kPortuguese{"ATENÇÃO!", "Reparamos as Bases de Dados?", "Restoramos as Bases de Dados?"};

const Confirmation& ConfirmationFor(LanguageOption option) {
    if (option == LanguageOption::Portuguese) return kPortuguese;
    if (option == LanguageOption::English) return kEnglish;
    return kSpanish;
}

const char* CodeOf(LanguageOption option) {
    switch (option) {
        case LanguageOption::Spanish: return "1";
        case LanguageOption::Portuguese: return "2";
        case LanguageOption::English: return "3";
        default: return "";
    }
}

}  // namespace

MainModel::MainModel(AppContext& context, MainActions& actions) : context_(context), actions_(actions) {}

void MainModel::Open() {
    // The caption is written on every activation; a window that opens without
    // being activated (another program holds the foreground) shows it too.
    screen_.caption = context_.programName + " " + context_.state.versionTitle;
    Reset();
    if (context_.state.uiLanguageCode.empty()) {
        screen_.languagesShown = true;
        screen_.buttonsShown = false;
    }
    screen_.windowShown = true;
    Changed(true);
}

void MainModel::Reset() {
    screen_.message.colour = layout::kBlack;
    screen_.message.shown = false;
    screen_.message.fontPoints = 12;
    screen_.message.bold = true;
    screen_.buttonsShown = true;
    screen_.languagesShown = false;
    Changed(true);
}

void MainModel::Activated() {
    screen_.caption = context_.programName + " " + context_.state.versionTitle;
    Changed();
}

bool MainModel::ActionUnderWay() const { return inAction_ || screen_.busy.shown || !screen_.windowShown; }

void MainModel::Run(Entry entry) {
    // The actions wait with the window alive, so input can arrive inside one:
    // a second action must not start within the first.
    if (ActionUnderWay()) return;
    inAction_ = true;
    if (entry == Entry::Repair) {
        actions_.RepairRequest(*this, *this);
    } else {
        actions_.RestoreEntry(*this);
    }
    inAction_ = false;
}

void MainModel::ClickRepair() { Run(Entry::Repair); }
void MainModel::ClickRestore() { Run(Entry::Restore); }

void MainModel::KeyDown(int keyCode, bool shift, bool ctrl, bool alt) {
    if (!shift || ctrl || alt) return;
    if (keyCode != kKeyD && keyCode != kKeyR) return;
    if (ActionUnderWay()) return;

    if (screen_.languagesShown) {
        const Confirmation& texts = ConfirmationFor(screen_.language);
        inAction_ = true;  // the question's own message loop must not start another
        const Answer answer =
            Ask(context_.dialogs, texts.title, keyCode == kKeyD ? texts.repair : texts.restore, 2);
        inAction_ = false;
        if (answer != Answer::Yes) return;
    }
    Run(keyCode == kKeyD ? Entry::Repair : Entry::Restore);
}

void MainModel::ChooseLanguage(LanguageOption option) {
    screen_.language = option;
    Changed();
}

void MainModel::ConfirmLanguage() {
    if (!screen_.languagesShown || screen_.language == LanguageOption::None) return;
    const std::string code = CodeOf(screen_.language);
    if (!SaveUiLanguageCode(context_, code)) {
        Tell(context_.dialogs, context_.programName,
             "No se pudo guardar el idioma en" "\r\r" + JoinPath(context_.programFolder, kLanguageFile));
        return;
    }
    context_.state.uiLanguageCode = code;
    Reset();
}

void MainModel::Cancel() {
    screen_.language = LanguageOption::None;
    Changed();
}

void MainModel::CloseRequest() { context_.process.End(0); }

void MainModel::ShowBusy() {
    screen_.busy.Show();
    Changed(true);
}

void MainModel::HideBusy() {
    screen_.busy.Hide();
    Changed();
}

void MainModel::SetStatus(const RunStatus& status) {
    // The engine call that usually follows keeps the window from painting.
    if (screen_.busy.SetStatus(status)) Changed(true);
}

void MainModel::SetCopyProgress(int percent) {
    if (screen_.busy.SetCopyProgress(percent)) Changed(true);
}

bool MainModel::MessageVisible() const {
    return screen_.windowShown && screen_.messageAreaShown && screen_.message.shown;
}

void MainModel::ShowMessageText(const std::string& text, double fontPoints) {
    screen_.message.text = text;
    screen_.message.fontPoints = fontPoints;
    Changed(true);
}

void MainModel::HideForRestore() {
    screen_.windowShown = false;
    Changed();
}

void MainModel::ShowAfterRestore() {
    screen_.busy.Hide();
    screen_.buttonsShown = true;
    screen_.windowShown = true;
    Changed(true);
}

void MainModel::Changed(bool repaintNow) {
    if (observer_) observer_(repaintNow);
}

}  // namespace corvane
