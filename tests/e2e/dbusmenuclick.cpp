// What GNOME's AppIndicator extension and XFCE's panel do with an item's menu: read the item's
// Menu property, fetch the layout with com.canonical.dbusmenu.GetLayout, find an entry by its
// label and send it Event(id, "clicked"). Never calls the item's ContextMenu.
//   dbusmenuclick SERVICE PATH LABEL     exit 0 when clicked, 1 when not
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDateTime>

#include <cstdio>

namespace {

// Walks one (ia{sv}av) node; the id of the entry whose label, mnemonics taken out, is `label`.
int findByLabel(const QDBusArgument& node, const QString& label) {
    int id = 0;
    QVariantMap properties;
    node.beginStructure();
    node >> id >> properties;
    int found = -1;
    QString text = properties.value(QStringLiteral("label")).toString();
    text.remove(QLatin1Char('_'));
    if (text == label) {
        found = id;
    }
    node.beginArray();
    while (!node.atEnd()) {
        QDBusVariant child;
        node >> child;
        const int inChild = findByLabel(qvariant_cast<QDBusArgument>(child.variant()), label);
        if (found < 0) {
            found = inChild;
        }
    }
    node.endArray();
    node.endStructure();
    return found;
}

int fail(const char* what) {
    std::fprintf(stderr, "dbusmenuclick: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        return fail("usage: dbusmenuclick SERVICE PATH LABEL");
    }
    const QString service = QString::fromLocal8Bit(argv[1]), path = QString::fromLocal8Bit(argv[2]);
    const QString label = QString::fromUtf8(argv[3]);
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusMessage get = QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierItem") << QStringLiteral("Menu");
    const QDBusMessage menuReply = bus.call(get);
    if (menuReply.type() != QDBusMessage::ReplyMessage || menuReply.arguments().isEmpty()) {
        return fail("the item has no Menu property");
    }
    const QString menu =
        qvariant_cast<QDBusObjectPath>(qvariant_cast<QDBusVariant>(menuReply.arguments().at(0)).variant()).path();
    std::printf("Menu=%s\n", qPrintable(menu));
    if (menu.isEmpty() || menu == QStringLiteral("/NO_DBUSMENU")) {
        return fail("the item exports no menu");
    }
    const QString iface = QStringLiteral("com.canonical.dbusmenu");
    QDBusMessage layout = QDBusMessage::createMethodCall(service, menu, iface, QStringLiteral("GetLayout"));
    layout << 0 << -1 << QStringList();
    const QDBusMessage layoutReply = bus.call(layout);
    if (layoutReply.type() != QDBusMessage::ReplyMessage || layoutReply.arguments().size() < 2) {
        return fail("GetLayout failed");
    }
    const int id = findByLabel(qvariant_cast<QDBusArgument>(layoutReply.arguments().at(1)), label);
    if (id < 0) {
        return fail("no entry of that label");
    }
    std::printf("%s=%d\n", argv[3], id);
    QDBusMessage event = QDBusMessage::createMethodCall(service, menu, iface, QStringLiteral("Event"));
    event << id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(QVariant(0)))
          << static_cast<uint>(QDateTime::currentSecsSinceEpoch());
    const QDBusMessage eventReply = bus.call(event);
    // The entry may end the program before it answers.
    if (eventReply.type() == QDBusMessage::ErrorMessage &&
        eventReply.errorName() != QStringLiteral("org.freedesktop.DBus.Error.NoReply")) {
        return fail(qPrintable(eventReply.errorMessage()));
    }
    return 0;
}
