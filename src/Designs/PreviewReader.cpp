#include "Designs/PreviewReader.h"

#include "Designs/DSTReader.h"
#include "Designs/DesignFile.h"
#include "Designs/PECReader.h"
#include "Designs/StitchFileTypes.h"

std::optional<StitchPreview> PreviewReader::read(const QUrl& fileURL) {
    const QString extension = StitchFileTypes::extensionOf(fileURL);
    if (extension != u"dst" && extension != u"pes" && extension != u"pec" && extension != u"phc")
        return std::nullopt;
    // Read whole rather than mapped (a mapped file truncated meanwhile would crash us), and only
    // when it is a regular file of a design's size: any path may carry a design's name.
    const DesignFile::Result file = DesignFile::read(fileURL, DesignFile::previewLimit);
    const QByteArray* bytes = std::get_if<QByteArray>(&file);
    if (!bytes)
        return std::nullopt;
    return read(*bytes, extension);
}

std::optional<StitchPreview> PreviewReader::read(QByteArrayView bytes, QStringView extension) {
    if (extension == u"dst")
        return DSTReader::read(bytes);
    if (extension == u"pes" || extension == u"pec")
        return PECReader::readPESOrPEC(bytes);
    if (extension == u"phc")
        return PECReader::readPHC(bytes);
    return std::nullopt;
}
