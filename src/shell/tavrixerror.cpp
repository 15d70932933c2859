#include "tavrixerror.h"

TavrixError::TavrixError(const QString &message)
    : std::runtime_error(message.toStdString()), m_message(message)
{}

void throwWithInner(const QString &message)
{
    std::throw_with_nested(TavrixError(message));
}

static QString messageOf(const std::exception &error)
{
    if (const auto *own = dynamic_cast<const TavrixError *>(&error))
        return own->message();
    return QString::fromUtf8(error.what());
}

QString errorText(const std::exception &error)
{
    QString text = messageOf(error);
    try {
        std::rethrow_if_nested(error);
    } catch (const std::exception &inner) {
        text += QStringLiteral("\r\n") + errorText(inner);
    } catch (...) {
    }
    return text;
}
