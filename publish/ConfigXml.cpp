#include "publish/ConfigXml.h"

#include "model/Error.h"
#include "model/SaveFile.h"
#include "model/TextUtils.h"
#include "model/TreeEdits.h"
#include "publish/Folders.h"
#include "publish/Variants.h"
#include "publish/WorkingFiles.h"

#include <QFile>
#include <QXmlStreamWriter>

#include <algorithm>

namespace {

const char *const kRootElement = "qmfoldreel";

// The characters XML 1.0 can carry; everything else (other control characters,
// unpaired surrogates, U+FFFE and U+FFFF) is left out, so that a value edited
// by hand in a project file can never make the file unreadable.
QString XmlSafe(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            out += c;
            out += text.at(++i);
        } else if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF) {
            continue;
        } else if (u >= 0x20 || u == 0x09 || u == 0x0A || u == 0x0D) {
            out += c;
        }
    }
    return out;
}

// One XML file whose children stand on lines of their own below the root.
class RootWriter
{
public:
    RootWriter() : m_writer(&m_bytes) { m_writer.writeStartElement(QLatin1String(kRootElement)); }

    void TextChild(const char *name, const QString &text)
    {
        NewLine();
        m_writer.writeTextElement(QLatin1String(name), XmlSafe(text));
    }

    // Attributes with an empty value from `optional` are left out.
    void EmptyChild(const char *name, std::initializer_list<std::pair<const char *, QString>> attributes,
                    std::initializer_list<std::pair<const char *, QString>> optional = {})
    {
        NewLine();
        m_writer.writeEmptyElement(QLatin1String(name));
        for (const auto &[attribute, value] : attributes)
            m_writer.writeAttribute(QLatin1String(attribute), XmlSafe(value));
        for (const auto &[attribute, value] : optional)
            if (!value.isEmpty())
                m_writer.writeAttribute(QLatin1String(attribute), XmlSafe(value));
    }

    QByteArray Finish()
    {
        if (m_children > 0)
            m_writer.writeCharacters(QStringLiteral("\r\n"));
        m_writer.writeEndElement();
        if (m_writer.hasError())
            throw QmError(QStringLiteral("The player configuration could not be written."));
        return m_bytes + "\r\n";
    }

private:
    void NewLine()
    {
        m_writer.writeCharacters(QStringLiteral("\r\n  "));
        ++m_children;
    }

    QByteArray m_bytes;
    QXmlStreamWriter m_writer;
    int m_children = 0;
};

// Writes the bytes into the temp folder, places the file into the preview folder
// and removes the temp copy.
void PlaceGeneratedFile(TAppletAgent &document, const QString &fileName, const QByteArray &bytes)
{
    const QString tempPath = TempFolder() + fileName;
    SaveWholeFile(tempPath, bytes);
    AddWorkingFile(document, tempPath);
    QFile::remove(tempPath);
}

// `"name":"text"`, a member of a script object, in plain ASCII: every other character escaped, so
// that the file reads the same whatever encoding the page that loads it declares.
QByteArray JsonMember(const QString &name, const QByteArray &utf8)
{
    QByteArray out;
    for (const QString &text : {name, QString::fromUtf8(utf8)}) {
        if (!out.isEmpty())
            out += ':';
        out += '"';
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u == '"' || u == '\\')
                out += '\\' + QByteArray(1, char(u));
            else if (u == '\r' || u == '\n')
                out += u == '\r' ? "\\r" : "\\n";
            else if (u < 0x20 || u > 0x7E)
                out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0')).toLatin1();
            else
                out += char(u);
        }
        out += '"';
    }
    return out;
}

} // namespace

QString FilePrefix(const TAppletData &data)
{
    QString prefix = data.ScriptName;
    prefix.remove(QLatin1Char(' '));
    return prefix;
}

void CheckFilePrefix(const QString &prefix)
{
    const QString intro = QStringLiteral("The gallery name \"%1\" cannot be used to name the published files").arg(prefix);
    if (prefix.isEmpty())
        throw QmError(QStringLiteral("The gallery name is empty, but it names the published files. "
                                     "Please enter a gallery name and try again."));
    for (const QChar c : prefix) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            throw QmError(QStringLiteral("%1: it contains the control character U+%2. Please remove it and try again.")
                              .arg(intro)
                              .arg(uint(c.unicode()), 4, 16, QLatin1Char('0')));
        if (QStringLiteral("\\/:*?\"<>|").contains(c))
            throw QmError(QStringLiteral("%1: it contains the character %2, which file names cannot hold "
                                         "(none of \\ / : * ? \" < > | may be used). Please remove it and try again.")
                              .arg(intro, c));
    }
    if (prefix.contains(QLatin1String("..")))
        throw QmError(QStringLiteral("%1: it contains \"..\". Please remove it and try again.").arg(intro));
}

QString ConfigFileName(const QString &prefix)
{
    return prefix + QStringLiteral("config.xml");
}

QString ItemsFileName(const QString &prefix)
{
    return prefix + QStringLiteral("items.xml");
}

QString CompanionFileName(const QString &prefix)
{
    return prefix + QStringLiteral("data.js");
}

QString ImagePath(const TAppletData &data, const QString &fileName)
{
    if (data.ImageLeadingPathEnabled == QLatin1String("1"))
        return data.ImageLeadingPath + fileName;
    return fileName;
}

QString ItemImagePath(const TAppletData &data, const TItemData &item)
{
    return ImagePath(data, item.ImageFile);
}

void PrepareItems(TAppletAgent &document, const IItemTree &tree)
{
    const QString &local = document.AppletData.RootDirLocal;
    const QString &remote = document.AppletData.RootDirRemote;
    const bool switchLinks = !TrimText(local).isEmpty() && !TrimText(remote).isEmpty();
    const bool toLocal = document.AppletData.RootDirLocalChecked == QLatin1String("1");
    RefreshLevels(document, tree);
    if (!switchLinks)
        return;
    const int count = std::min(tree.NodeCount() - 1, int(document.Items.size()));
    for (int p = 1; p <= count; ++p) {
        TItemData &item = document.Items[size_t(p) - 1];
        if (toLocal)
            item.Link.replace(remote, local, Qt::CaseInsensitive);
        else
            item.Link.replace(local, remote, Qt::CaseInsensitive);
    }
}

QByteArray ConfigFileBytes(const TAppletData &data, const QString &prefix)
{
    RootWriter xml;
    xml.TextChild("ItemsConfigFile", ItemsFileName(prefix));
    xml.TextChild("ActiveItemWidth", data.ActiveItemWidth);
    xml.TextChild("InactiveItemWidth", data.InactiveItemWidth);
    xml.TextChild("SlidingSpeed", data.SlidingSpeed);
    xml.TextChild("InactiveItemGray", data.InactiveItemGray);
    // The player always gets full opacity, whatever the document holds.
    xml.TextChild("InactiveItemAlpha", QStringLiteral("100"));
    xml.TextChild("EnableVerticalTitles", data.EnableVerticalTitles);
    xml.TextChild("AutoPlay", data.AutoPlay);
    xml.TextChild("SwitchImageDelay", data.SwitchImageDelay);
    return xml.Finish();
}

QByteArray ItemsFileBytes(const TAppletAgent &document)
{
    const TAppletData &data = document.AppletData;
    const QString hColor = QStringLiteral("0x") + data.HoriTitleFontColor;
    const QString vColor = QStringLiteral("0x") + data.VertTitleFontColor;
    RootWriter xml;
    for (size_t i = 0; i < document.Items.size(); ++i) {
        const TItemData &item = document.Items[i];
        // The item's larger and WebP pictures and its focal point follow, only where the build made any.
        xml.EmptyChild("item",
                       {{"largeimage", ItemImagePath(data, item)},
                        {"link", item.Link},
                        {"target", item.Target},
                        {"htitle", item.HTitle},
                        {"htitlecolor", hColor},
                        {"htitlesize", data.HoriTitleFontSize},
                        {"vtitle", item.VTitle},
                        {"vtitlecolor", vColor},
                        {"vtitlesize", data.VertTitleFontSize}},
                       {{"srcset", HiDpiSrcset(document, int(i))},
                        {"webpset", WebpSrcset(document, int(i))},
                        {"focus", i < document.ItemFocus.size() ? document.ItemFocus[i] : QString()}});
    }
    return xml.Finish();
}

QByteArray CompanionFileBytes(const QString &prefix, const QByteArray &config, const QByteArray &items)
{
    return "swfobject.addFiles({" + JsonMember(ConfigFileName(prefix), config) + ",\r\n" + JsonMember(ItemsFileName(prefix), items) +
           "});\r\n";
}

QString WriteConfigFiles(TAppletAgent &document, const QString &prefix)
{
    document.LinkedFiles.at(3).FileName = ConfigFileName(prefix);
    const QByteArray config = ConfigFileBytes(document.AppletData, prefix);
    PlaceGeneratedFile(document, ConfigFileName(prefix), config);

    document.LinkedFiles.at(4).FileName = ItemsFileName(prefix);
    const QByteArray items = ItemsFileBytes(document);
    PlaceGeneratedFile(document, ItemsFileName(prefix), items);

    PlaceGeneratedFile(document, CompanionFileName(prefix), CompanionFileBytes(prefix, config, items));

    return document.Items.empty() ? QString() : ItemImagePath(document.AppletData, document.Items.front());
}
