#include "updates/appcast.h"

#include <QUrl>
#include <QXmlStreamReader>

namespace tintwell::updates {
namespace {

// A hostile feed can nest entities to grow without end; a real one has no use for them.
constexpr int kEntityExpansionLimit = 1024;
// Reading an element's text recurses once per nested element; a real feed nests five levels deep.
constexpr int kMaxDepth = 64;

/// Whether elements nest deeper than kMaxDepth anywhere in `bytes` (read without recursion).
bool nestedTooDeeply(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    xml.setEntityExpansionLimit(kEntityExpansionLimit);
    int depth = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > kMaxDepth)
            return true;
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    return false;
}

std::optional<std::string> text(const QString& s) {
    const QString trimmed = s.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed.toStdString();
}

std::optional<std::string> webLink(const QString& s) {
    const QUrl url(s.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || (url.scheme() != "https" && url.scheme() != "http"))
        return std::nullopt;
    return url.toString(QUrl::FullyEncoded).toStdString();
}

/// The attribute named `name` in any namespace.
QString attribute(const QXmlStreamAttributes& attributes, QStringView name) {
    for (const auto& a : attributes)
        if (a.name() == name)
            return a.value().toString();
    return {};
}

AppcastItem readItem(QXmlStreamReader& xml) {
    AppcastItem item;
    std::optional<std::string> enclosureVersion, enclosureShortVersion;
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        const bool plain = xml.namespaceUri().isEmpty();
        if (name == u"version")
            item.versionString = text(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (name == u"shortVersionString")
            item.shortVersionString = text(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (name == u"channel")
            item.channel = text(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (name == u"releaseNotesLink")
            item.releaseNotesLink = webLink(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (plain && name == u"title")
            item.title = text(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (plain && name == u"link")
            item.link = webLink(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (plain && name == u"enclosure") {
            const auto attributes = xml.attributes();
            item.enclosureUrl = webLink(attribute(attributes, u"url"));
            enclosureVersion = text(attribute(attributes, u"version"));
            enclosureShortVersion = text(attribute(attributes, u"shortVersionString"));
            xml.skipCurrentElement();
        } else
            xml.skipCurrentElement();
    }
    if (!item.versionString)
        item.versionString = enclosureVersion;
    if (!item.shortVersionString)
        item.shortVersionString = enclosureShortVersion;
    return item;
}

} // namespace

std::variant<std::vector<AppcastItem>, AppcastError> parseAppcast(const QByteArray& bytes) {
    if (bytes.trimmed().isEmpty())
        return AppcastError{"the update feed is empty"};
    if (nestedTooDeeply(bytes))
        return AppcastError{
            QString("the update feed nests elements more than %1 levels deep").arg(kMaxDepth)};
    QXmlStreamReader xml(bytes);
    xml.setEntityExpansionLimit(kEntityExpansionLimit);
    if (!xml.readNextStartElement())
        return AppcastError{"the update feed is not valid XML (" + xml.errorString() + ")"};
    if (xml.name() != u"rss" || !xml.namespaceUri().isEmpty())
        return AppcastError{"the update feed is not an RSS feed"};

    std::vector<AppcastItem> items;
    // Items are looked for at any depth below the root, the way lenient readers of RSS do.
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"item" && xml.namespaceUri().isEmpty())
            items.push_back(readItem(xml));
    }
    if (xml.hasError())
        return AppcastError{"the update feed is not valid XML (" + xml.errorString() + ")"};
    return items;
}

} // namespace tintwell::updates
