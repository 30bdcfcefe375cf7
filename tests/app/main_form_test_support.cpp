#include "tests/app/main_form_test_support.h"

#include <QFile>
#include <QToolButton>

namespace quillon::testing {

MainFormDialogs ScriptedDialogs::Dialogs() {
    MainFormDialogs dialogs;
    dialogs.chooseFile = [this](QWidget*, FileDialogKind kind) -> std::optional<QString> {
        fileKinds.push_back(kind);
        if (files.empty()) return std::nullopt;
        const bool confirmed = files.front().has_value();
        const QString answer = files.front().value_or(QString());
        files.pop_front();
        if (!confirmed) return std::nullopt;
        return answer;
    };
    dialogs.chooseFont = [this](QWidget*, const QFont& initial) {
        fontsShown.push_back(initial);
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

namespace {

std::optional<QString> Answer(const std::optional<std::string>& path) {
    if (!path) return std::nullopt;
    return QFile::decodeName(QByteArray::fromStdString(*path));
}

}  // namespace

void MainFormRig::ChooseInput(TMainForm& form, std::optional<std::string> path) {
    dialogs.files.push_back(Answer(path));
    form.SpeedButton1->click();
}

void MainFormRig::ChooseOutput(TMainForm& form, std::optional<std::string> path) {
    dialogs.files.push_back(Answer(path));
    form.SpeedButton2->click();
}

}  // namespace quillon::testing
