#include "platform/forms/TFontDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/forms/WindowHost.h"

namespace win {
namespace {

// The faces the programs name; the installation maps each to an installed font.
constexpr const char16_t *kProgramFaces[] = {
    u"宋体", u"新宋体", u"黑体", u"楷体_GB2312", u"仿宋_GB2312", u"Arial",
    u"Courier New", u"Tahoma", u"Times New Roman", u"Verdana", u"System",
};
// The styles in the order of their bits: bold × 2 + italic.
constexpr const char16_t *kStyles[] = {u"常规", u"倾斜", u"粗体", u"粗偏斜体"};
constexpr int kPoints[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

QString Qt16(const char16_t *text) { return QString::fromUtf16(text); }

// Heights in pixels on the 96-dot screen and sizes in points.
int PointsOf(int height) { return static_cast<int>(std::lround(std::abs(height) * 72.0 / 96.0)); }
int HeightOf(double points) { return -std::max(1, static_cast<int>(std::lround(points * 96.0 / 72.0))); }

struct Choice {
    QString face;
    int height;
    bool bold;
    bool italic;
    bool underline;
    bool strikeOut;
};

// Shows the chooser; false when it was cancelled. A size left as shown keeps
// the exact height it came from.
bool AskFont(Choice &choice, const QString &title)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(title);

    auto *face = new QComboBox;
    face->setEditable(true);
    QStringList faces;
    for (const char16_t *name : kProgramFaces)
        faces << Qt16(name);
    for (const QString &family : QFontDatabase::families())
        if (!faces.contains(family))
            faces << family;
    if (!choice.face.isEmpty() && !faces.contains(choice.face))
        faces.prepend(choice.face);
    face->addItems(faces);
    face->setCurrentText(choice.face);

    auto *style = new QComboBox;
    for (const char16_t *name : kStyles)
        style->addItem(Qt16(name));
    style->setCurrentIndex((choice.bold ? 2 : 0) + (choice.italic ? 1 : 0));

    auto *size = new QComboBox;
    size->setEditable(true);
    for (int points : kPoints)
        size->addItem(QString::number(points));
    const QString shownSize = QString::number(PointsOf(choice.height));
    size->setCurrentText(shownSize);

    auto *underline = new QCheckBox(Qt16(u"下划线"));
    underline->setChecked(choice.underline);
    auto *strikeOut = new QCheckBox(Qt16(u"删除线"));
    strikeOut->setChecked(choice.strikeOut);
    auto *effects = new QHBoxLayout;
    effects->addWidget(underline);
    effects->addWidget(strikeOut);

    auto *sample = new QLabel(Qt16(u"汉字 AaBbYyZz"));
    sample->setAlignment(Qt::AlignCenter);
    sample->setFrameShape(QFrame::StyledPanel);
    sample->setMinimumSize(240, 72);

    auto *buttons = new QDialogButtonBox;
    buttons->addButton(Qt16(u"确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(Qt16(u"取消"), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto *form = new QFormLayout(&dialog);
    form->addRow(Qt16(u"字体(&F):"), face);
    form->addRow(Qt16(u"字形(&Y):"), style);
    form->addRow(Qt16(u"大小(&S):"), size);
    form->addRow(Qt16(u"效果:"), effects);
    form->addRow(Qt16(u"示例:"), sample);
    form->addRow(buttons);

    auto height = [&] {
        bool ok = false;
        double points = size->currentText().trimmed().toDouble(&ok);
        if (!ok || points <= 0 || size->currentText().trimmed() == shownSize)
            return choice.height;
        return HeightOf(points);
    };
    auto showSample = [&] {
        QFont font(face->currentText().trimmed());
        font.setPixelSize(std::max(std::abs(height()), 1));
        font.setBold(style->currentIndex() >= 2);
        font.setItalic(style->currentIndex() % 2 == 1);
        font.setUnderline(underline->isChecked());
        font.setStrikeOut(strikeOut->isChecked());
        sample->setFont(font);
    };
    QObject::connect(face, &QComboBox::currentTextChanged, &dialog, showSample);
    QObject::connect(style, &QComboBox::currentIndexChanged, &dialog, showSample);
    QObject::connect(size, &QComboBox::currentTextChanged, &dialog, showSample);
    QObject::connect(underline, &QCheckBox::toggled, &dialog, showSample);
    QObject::connect(strikeOut, &QCheckBox::toggled, &dialog, showSample);
    showSample();

    if (dialog.exec() != QDialog::Accepted)
        return false;
    if (!face->currentText().trimmed().isEmpty())
        choice.face = face->currentText().trimmed();
    choice.height = height();
    choice.bold = style->currentIndex() >= 2;
    choice.italic = style->currentIndex() % 2 == 1;
    choice.underline = underline->isChecked();
    choice.strikeOut = strikeOut->isChecked();
    return true;
}

} // namespace

bool TFontDialog::Execute()
{
    if (std::optional<DialogAnswer> answer = RecordedDialogAnswer({ClassName(), Title, Font->Name, ""})) {
        if (!answer->accepted)
            return false;
        if (!answer->fontName.IsEmpty())
            Font->Name = answer->fontName;
        if (answer->fontHeight != 0)
            Font->Height = -std::abs(answer->fontHeight);
        Font->Style = answer->fontStyle;
        return true;
    }
    if (!CanShowDialogs())
        return false;
    TFontStyles preset = Font->Style;
    Choice choice{QtText(Font->Name.c_str()),
                  Font->Height,
                  preset.Contains(fsBold),
                  preset.Contains(fsItalic),
                  preset.Contains(fsUnderline),
                  preset.Contains(fsStrikeOut)};
    QString title = Title.IsEmpty() ? Qt16(u"字体") : QtText(Title.c_str());
    if (!AskFont(choice, title))
        return false;
    Font->Name = GbkText(choice.face).c_str();
    // A positive height (a cell height) that was kept stays as it was.
    Font->Height = choice.height;
    TFontStyles style;
    if (choice.bold)
        style << fsBold;
    if (choice.italic)
        style << fsItalic;
    if (choice.underline)
        style << fsUnderline;
    if (choice.strikeOut)
        style << fsStrikeOut;
    Font->Style = style;
    return true;
}

} // namespace win
