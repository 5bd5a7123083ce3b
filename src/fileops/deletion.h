#pragma once
// Wording of the deletion to the trash.

#include <QString>

namespace dsc {

// "Voulez-vous supprimer", a line feed, the path, " ?".
QString deleteQuestion(const QString& path);

} // namespace dsc
