#pragma once
// The publisher link: requests the publisher's page, shows nothing and keeps nothing.

#include <QUrl>

class QNetworkAccessManager;

namespace dsc {

// The publisher's page.
inline const QUrl kPublisherPage{QStringLiteral("http://www.dessiscope.fr/")};

// Sends the request and returns at once; the answer is discarded when it comes, or after 60 s.
void requestPublisherPage(QNetworkAccessManager& network, const QUrl& page);

} // namespace dsc
