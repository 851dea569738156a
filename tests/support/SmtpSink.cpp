#include "tests/support/SmtpSink.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <stdexcept>

namespace velvane::test {

namespace {

std::string Text(const QJsonValue& value) { return value.toString().toStdString(); }

std::vector<std::string> Texts(const QJsonValue& value)
{
    std::vector<std::string> texts;
    for (const QJsonValue& item : value.toArray()) texts.push_back(Text(item));
    return texts;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

SmtpSink::SmtpSink(bool offerTls) : folder_(std::make_unique<QTemporaryDir>()), process_(std::make_unique<QProcess>())
{
    QStringList arguments{QStringLiteral(SMTP_SINK_SCRIPT), folder_->path()};
    if (offerTls) arguments << QStringLiteral("tls");
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->start(QStringLiteral(SMTP_SINK_PYTHON), arguments);
    // The line comes once the server listens. Python and a fresh certificate
    // can take long on a busy machine: only the script ending, or a whole
    // minute, gives up.
    const QDeadlineTimer deadline(60000);
    if (process_->waitForStarted(60000))
        while (!process_->canReadLine() && process_->state() == QProcess::Running && !deadline.hasExpired())
            process_->waitForReadyRead(100);
    const QList<QByteArray> words = process_->readLine().simplified().split(' ');
    port_ = words.value(0).toInt();
    tls_ = words.value(1) == "1";
    if (port_ <= 0) throw std::runtime_error("the SMTP sink did not start");
}

SmtpSink::~SmtpSink()
{
    process_->closeWriteChannel();
    if (!process_->waitForFinished(10000)) process_->kill();
    process_->waitForFinished(10000);
}

std::vector<ReceivedMail> SmtpSink::Mails() const
{
    std::vector<ReceivedMail> mails;
    for (int n = 1;; ++n) {
        const QString stem = QDir(folder_->path()).filePath(QString::number(n));
        const QByteArray report = ReadAll(stem + ".json");
        if (report.isEmpty()) return mails;
        const QJsonObject o = QJsonDocument::fromJson(report).object();
        ReceivedMail& mail = mails.emplace_back();
        mail.mailFrom = Text(o["mail_from"]);
        mail.rcptTo = Texts(o["rcpt_tos"]);
        mail.overTls = o["tls"].toBool();
        mail.subject = Text(o["subject"]);
        mail.date = Text(o["date"]);
        mail.to = Texts(o["to"]);
        mail.body = Text(o["body"]);
        for (const QJsonValue& item : o["attachments"].toArray())
            mail.attachments.push_back({Text(item["filename"]),
                                        QByteArray::fromBase64(item["bytes"].toString().toLatin1()).toStdString()});
        mail.defects = Texts(o["defects"]);
        mail.raw = ReadAll(stem + ".eml").toStdString();
    }
}

} // namespace velvane::test
