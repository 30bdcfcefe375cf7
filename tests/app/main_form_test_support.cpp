#include "tests/app/main_form_test_support.h"

#include <QFile>
#include <QToolButton>

namespace quillon::testing {

MainFormDialogs ScriptedDialogs::Dialogs() {
    MainFormDialogs dialogs;
    dialogs.chooseFile = [this](QWidget*, FileDialogKind kind,
                                const std::string& folder) -> std::optional<std::string> {
        fileKinds.push_back(kind);
        fileFolders.push_back(folder);
        if (files.empty()) return std::nullopt;
        const std::optional<std::string> answer = files.front();
        files.pop_front();
        return answer;
    };
    dialogs.chooseFont = [this](QWidget*, const FontChoice& initial) {
        fontsShown.push_back(initial.font);
        coloursShown.push_back(initial.color);
        return font;
    };
    dialogs.showError = [this](QWidget*, const QString& title, const QString& text) {
        errors.push_back({title, text});
    };
    return dialogs;
}

std::unique_ptr<TMainForm> MainFormRig::MakeForm() {
    return std::make_unique<TMainForm>(dialogs.Dialogs(), SettingsPath(),
                                       QStringLiteral("Quillon"));
}

void MainFormRig::ChooseInput(TMainForm& form, std::optional<std::string> path) {
    dialogs.files.push_back(path);
    form.SpeedButton1->click();
}

void MainFormRig::ChooseOutput(TMainForm& form, std::optional<std::string> path) {
    dialogs.files.push_back(path);
    form.SpeedButton2->click();
}

}  // namespace quillon::testing
