#include "publisherlink.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace dsc {

void requestPublisherPage(QNetworkAccessManager& network, const QUrl& page) {
    QNetworkRequest request(page);
    request.setTransferTimeout(60'000);
    QNetworkReply* reply = network.get(request);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply] { reply->readAll(); });
    QObject::connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
}

} // namespace dsc
