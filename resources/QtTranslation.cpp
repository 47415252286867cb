#include "QtTranslation.h"

#include "QuorveloResources.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QTranslator>

namespace {

Q_LOGGING_CATEGORY(lcTranslation, "quorvelo.translation")

const char kQtTranslation[] = ":/quorvelo/translations/qtbase_pt_BR.qm";

} // namespace

QTranslator* InstallQtTranslation()
{
    InitQuorveloResources();
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QString::fromLatin1(kQtTranslation))) {
        qCWarning(lcTranslation) << "Qt's own texts stay untranslated: cannot load" << kQtTranslation;
        delete translator;
        return nullptr;
    }
    if (!QCoreApplication::installTranslator(translator)) {
        qCWarning(lcTranslation) << "Qt's own texts stay untranslated: the application refused" << kQtTranslation;
        delete translator;
        return nullptr;
    }
    return translator;
}
