#pragma once

#include "ui/form/toolkit.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

class QFileDialog;
class QWidget;

namespace orvelin::ui::qt {

// The open-file dialog on Qt's own file dialog, with a seam through which a
// test or the benchmark answers the next one instead of a person.
class FileDialog {
public:
    // The chosen file's path in the file system's encoding, or nullopt.
    static std::optional<std::string> ShowOpen(QWidget* owner, const DialogSettings& settings,
                                               const std::string& initialFile);

    // A folder dialog starting at initialFolder: the folder chosen, or nullopt.
    static std::optional<std::string> ShowFolder(QWidget* owner, const QString& title,
                                                 const std::string& initialFolder);

    // The next ShowOpen or ShowFolder returns this answer without showing a
    // dialog (a path, or nullopt for a cancel).
    static void SetNextAnswer(std::optional<QString> fileName);

    // Qt's name filters for a "Description|pattern|…" filter.
    static QStringList NameFilters(const QString& filter);

private:
    // Shows dialog modally: the file chosen, in the file system's encoding.
    static std::optional<std::string> Chosen(QWidget* owner, QFileDialog& dialog);
};

}  // namespace orvelin::ui::qt
