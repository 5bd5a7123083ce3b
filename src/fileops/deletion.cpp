#include "deletion.h"

namespace dsc {

QString deleteQuestion(const QString& path) {
    return QStringLiteral("Voulez-vous supprimer\n") + path + QStringLiteral(" ?");
}

} // namespace dsc
