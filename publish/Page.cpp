#include "publish/Page.h"

#include "model/Error.h"
#include "model/Product.h"
#include "model/SaveFile.h"
#include "model/TextUtils.h"
#include "publish/Variants.h"

#include <limits>

namespace {

// A value standing in an attribute or in text: &, <, > and " become entities.
QString Html(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '&':
            out += QLatin1String("&amp;");
            break;
        case '<':
            out += QLatin1String("&lt;");
            break;
        case '>':
            out += QLatin1String("&gt;");
            break;
        case '"':
            out += QLatin1String("&quot;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A value standing inside a double-quoted script string: quotes, backslashes,
// angle brackets, ampersands and control characters become escapes, so the value
// can neither end the string nor the script element.
QString Js(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == '\\' || u == '"' || u == '\'')
            out += QLatin1Char('\\') + c;
        else if (u < 0x20 || u == '<' || u == '>' || u == '&' || u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\u%1").arg(uint(u), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QString Tabs(int count)
{
    return QString(count, QLatin1Char('\t'));
}

} // namespace

int MovieWidth(const TAppletData &data, int itemCount)
{
    if (itemCount <= 0)
        return 0;
    const qint64 width = qint64(StrToInt(data.ActiveItemWidth)) + qint64(StrToInt(data.InactiveItemWidth)) * (itemCount - 1);
    if (width > std::numeric_limits<int>::max() || width < std::numeric_limits<int>::min())
        throw QmError(QStringLiteral("The slideshow is too wide to be published (%1 pixels).").arg(width));
    return int(width);
}

QStringList PageLines(const TAppletAgent &document, const QString &prefix, const QString &firstImage)
{
    const TAppletData &data = document.AppletData;
    const QString width = QString::number(MovieWidth(data, int(document.Items.size())));
    const QString &height = data.ItemHeight;
    const QString signature = QStringLiteral("<!-- %1 -->").arg(ProductTitle());
    const QString copyright = QStringLiteral("<!-- Copyright (C) %1. All rights reserved. -->").arg(MakerName());
    // A first picture made at twice the size too: the browser loads the one its screen wants.
    const QString larger = document.Items.empty() ? QString() : HiDpiSrcset(document, 0);
    const QString srcset = larger.isEmpty() ? QString() : QStringLiteral(" srcset=\"%1\"").arg(Html(larger));

    QStringList lines{
        QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" "
                       "\"http://www.w3.org/TR/html4/loose.dtd\">"),
        QStringLiteral("<!-- saved from url=(0013)about:internet -->"),
        QStringLiteral("<html lang=\"en\">"),
        QStringLiteral("<head>"),
        QStringLiteral("<title>Preview</title>"),
        QString(),
        signature,
        copyright,
        QStringLiteral("<!-- Please insert the following codes into <head> section of the Web pages. -->"),
        QStringLiteral("<!-- START COPYING FROM HERE -->"),
    };
    for (const TLinkedFileInfo &file : document.LinkedFiles)
        if (file.FileType.toLower() == QLatin1String("css"))
            lines << QStringLiteral("<LINK href=\"./%1\" type=\"text/css\" rel=\"stylesheet\" />").arg(Html(file.FileName));
    for (const TLinkedFileInfo &file : document.LinkedFiles)
        if (file.FileType.toLower() == QLatin1String("js"))
            lines << QStringLiteral("<SCRIPT language=\"javascript\" type=\"text/javascript\" src=\"./%1\"></SCRIPT>")
                         .arg(Html(file.FileName));
    lines << QStringLiteral("<!-- END OF COPYING -->") << QString() << QStringLiteral("</head>") << QString()
          << QStringLiteral("<body bgcolor=\"#%1\">").arg(Html(data.PreviewBgColor)) << QString()
          << QStringLiteral("<!-- Please insert the following codes into <body> section of the Web pages where you "
                            "want to include the flash! -->")
          << QStringLiteral("<!-- START COPYING FROM HERE -->") << QString() << signature << copyright
          << QStringLiteral("<!-- Product page: %1 -->").arg(QLatin1String(kProductAddress))
          << QStringLiteral("<!-- Support: %1 -->").arg(QLatin1String(kSupportAddress)) << QStringLiteral("<div>")
          << Tabs(2) + QStringLiteral("<noscript><p>JavaScript is disabled in this browser!</p></noscript>")
          << Tabs(2) + QStringLiteral("<div id=\"%1_img_alt\"><img src=\"%2\"%3 width=\"%4\" height=\"%5\" border=\"0\" /></div>")
                           .arg(Html(prefix), Html(firstImage), srcset, width, Html(height))
          << Tabs(2) + QStringLiteral("<script type=\"text/javascript\">")
          << Tabs(4) + QStringLiteral("var flashvars = { width: \"%1\", height: \"%2\", xmlPath: \"%3config.xml\" };")
                           .arg(width, Js(height), Js(prefix))
          << Tabs(4) + QStringLiteral("var params = { bgcolor: \"%1\" };").arg(Js(data.FlashBgColor))
          << Tabs(4) + QStringLiteral("var attributes = { id: \"%1\" };").arg(Js(prefix))
          << Tabs(4) + QStringLiteral("swfobject.embedSWF(\"./foldreel.swf\", \"%1_img_alt\", \"%2\", \"%3\", \"9.0.0\", "
                                      "\"./expressinstall.swf\", flashvars, params, attributes);")
                           .arg(Js(prefix), width, Js(height))
          << Tabs(2) + QStringLiteral("</script>") << QStringLiteral("</div>") << QString() << QStringLiteral("<!-- END OF COPYING -->")
          << QString() << QStringLiteral("</body>") << QStringLiteral("</html>");
    return lines;
}

void WritePage(const TAppletAgent &document, const QString &path, const QString &prefix, const QString &firstImage)
{
    SaveTextFile(path, PageLines(document, prefix, firstImage));
}
