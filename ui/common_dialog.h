#pragma once

#include <QString>

#include <memory>
#include <optional>

class QFileDialog;
class QWidget;

namespace orvelin::ui {

// The open-file dialog: one object that lives as long as its window, so the
// chosen file name stays between uses; a cancel leaves it unchanged.
class CommonDialog {
public:
    static constexpr int kFileMustExist = 0x1000;

    explicit CommonDialog(QWidget* owner);
    ~CommonDialog();

    // "Description|pattern|Description|pattern…"
    void setFilter(const QString& filter) { filter_ = filter; }
    void setDialogTitle(const QString& title) { dialogTitle_ = title; }
    void setFlags(int flags) { flags_ = flags; }

    // Shows the dialog modally.
    void ShowOpen();

    // Full path of the chosen file, or "" before the first choice.
    const QString& fileName() const { return fileName_; }
    // The chosen file's name and extension without its folder.
    const QString& fileTitle() const { return fileTitle_; }

    // Test seam: the next ShowOpen takes this answer instead of showing the
    // dialog (a file name, or nullopt for a cancel).
    static void SetNextAnswer(std::optional<QString> fileName);

    // Qt's name filters for a "Description|pattern|…" filter.
    static QStringList NameFilters(const QString& filter);

private:
    void Choose(const QString& fileName);

    QWidget* owner_;
    std::unique_ptr<QFileDialog> dialog_;
    QString filter_;
    QString dialogTitle_;
    int flags_ = 0;
    QString fileName_;
    QString fileTitle_;
};

}  // namespace orvelin::ui
