#include "platform/forms/TOpenDialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

#include <string>

#include "platform/forms/WindowHost.h"
#include "platform/win/File.h"
#include "platform/win/Path.h"
#include "platform/win/Text.h"

namespace win {
namespace {

QString ToQt(const AnsiString &gbk) { return QtText(gbk.c_str()); }

// Where the last component of a GBK path starts ('\' may be the second byte of
// a double-byte character, so the bytes are walked character by character).
size_t NameStart(const std::string &path)
{
    size_t start = 0;
    for (size_t i = 0; i < path.size();) {
        size_t length = GbkCharLength(path.data() + i, path.size() - i);
        if (length == 1 && (path[i] == '/' || path[i] == '\\'))
            start = i + 1;
        i += length;
    }
    return start;
}

// The folder part of a path without its last separator ("/" for a file in the
// root), empty when the path names no folder.
std::string FolderOf(const std::string &path)
{
    size_t start = NameStart(path);
    if (start == 0)
        return {};
    return start == 1 ? path.substr(0, 1) : path.substr(0, start - 1);
}

// "text|*.a;*.b|text|*.c" as the chooser's filters "text (*.a *.b)"; a text that
// already ends with its patterns in brackets ("文本文件 (*.txt)") does not get
// them twice. "*.*" is every name, as on Windows. The split is made on the decoded text, since '|' may be
// the second byte of a double-byte character.
QStringList QtFilters(const AnsiString &filter)
{
    QStringList parts = ToQt(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString text = parts[i].trimmed();
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        if (text.isEmpty() && patterns.isEmpty())
            continue;
        for (QString &pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        }
        QString given = QLatin1Char('(') + parts[i + 1].trimmed() + QLatin1Char(')');
        if (text.endsWith(given))
            text = text.left(text.size() - given.size()).trimmed();
        filters << text + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

} // namespace

TOpenDialog::TOpenDialog(TComponent *Owner) : TCommonDialog(Owner)
{
    Options << ofHideReadOnly << ofEnableSizing;
}

bool TOpenDialog::Take(const AnsiString &chosen)
{
    std::string name = chosen.c_str();
    if (name.empty())
        return false;
    size_t start = NameStart(name);
    if (!DefaultExt.IsEmpty() && name.find('.', start) == std::string::npos && start < name.size())
        name.append(1, '.').append(DefaultExt.c_str());
    std::string folder = FolderOf(name);
    if (Options.Contains(ofFileMustExist) && !ForSaving()) {
        DWORD attributes = GetFileAttributesA(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
    }
    if (Options.Contains(ofPathMustExist) && !folder.empty()) {
        DWORD attributes = GetFileAttributesA(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
    }
    // The name is kept whole, as the dialog returns it, since the working folder
    // may move to the file's folder.
    std::string full = MapPath(name);
    if (full.empty())
        return false;
    FileName = NativeToWinPath(full).c_str();
    if (!Options.Contains(ofNoChangeDir) && !folder.empty())
        SetCurrentDirectoryA(folder.c_str());
    return true;
}

bool TOpenDialog::Execute()
{
    if (std::optional<DialogAnswer> answer = RecordedDialogAnswer({ClassName(), Title, FileName, Filter})) {
        if (!answer->accepted || !Take(answer->fileName))
            return false;
        if (answer->filterIndex > 0)
            FilterIndex = answer->filterIndex;
        return true;
    }
    if (!CanShowDialogs())
        return false;

    std::string initial = FileName.c_str();
    std::string startDir = !InitialDir.IsEmpty() ? MapPath(InitialDir.c_str()) : std::string();
    if (startDir.empty() && !FolderOf(initial).empty())
        startDir = MapPath(FolderOf(initial));
    QString title = !Title.IsEmpty() ? ToQt(Title) : QString::fromUtf16(ForSaving() ? u"另存为" : u"打开");
    QFileDialog dialog(QApplication::activeWindow(), title,
                       startDir.empty() ? QDir::currentPath() : QString::fromStdString(startDir));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(ForSaving() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!ForSaving() && Options.Contains(ofFileMustExist) ? QFileDialog::ExistingFile
                                                                         : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !Options.Contains(ofOverwritePrompt));
    if (!DefaultExt.IsEmpty())
        dialog.setDefaultSuffix(ToQt(DefaultExt));
    QStringList filters = QtFilters(Filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (FilterIndex >= 1 && FilterIndex <= filters.size())
            dialog.selectNameFilter(filters[FilterIndex - 1]);
    }
    if (!initial.empty())
        dialog.selectFile(ToQt(initial.substr(NameStart(initial)).c_str()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    if (!Take(NativeToWinPath(dialog.selectedFiles().front().toStdString()).c_str()))
        return false;
    qsizetype chosenFilter = filters.indexOf(dialog.selectedNameFilter());
    if (chosenFilter >= 0)
        FilterIndex = static_cast<int>(chosenFilter) + 1;
    return true;
}

} // namespace win
