#include "tests/support/SmtpSink.h"

#include <QByteArray>
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

ReceivedMail MailOf(const QJsonObject& o, QByteArray raw)
{
    ReceivedMail mail;
    mail.mailFrom = Text(o["mail_from"]);
    mail.rcptTo = Texts(o["rcpt_tos"]);
    mail.overTls = o["tls"].toBool();
    mail.fromAddress = Text(o["from_address"]);
    mail.fromName = Text(o["from_name"]);
    mail.to = Texts(o["to"]);
    mail.subject = Text(o["subject"]);
    mail.date = Text(o["date"]);
    mail.messageId = Text(o["message_id"]);
    mail.mailer = Text(o["mailer"]);
    mail.body = Text(o["body"]);
    mail.bodyCharset = Text(o["body_charset"]);
    for (const QJsonValue& item : o["attachments"].toArray()) {
        const QJsonObject a = item.toObject();
        mail.attachments.push_back({Text(a["filename"]), Text(a["type"]),
                                    QByteArray::fromBase64(a["bytes"].toString().toLatin1()).toStdString()});
    }
    mail.defects = Texts(o["defects"]);
    mail.raw = raw.toStdString();
    return mail;
}

} // namespace

SmtpSink::SmtpSink(const std::string& certFile, const std::string& keyFile)
    : folder_(std::make_unique<QTemporaryDir>()), process_(std::make_unique<QProcess>())
{
    if (!folder_->isValid()) throw std::runtime_error("no temporary folder for the SMTP sink");
    QStringList arguments{QStringLiteral(SMTP_SINK_SCRIPT), folder_->path()};
    if (!certFile.empty()) arguments << QString::fromStdString(certFile) << QString::fromStdString(keyFile);
    process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_->start(QStringLiteral(SMTP_SINK_PYTHON), arguments);
    if (!process_->waitForStarted(10000)) throw std::runtime_error("the SMTP sink did not start");
    while (!process_->canReadLine()) {
        if (!process_->waitForReadyRead(10000)) throw std::runtime_error("the SMTP sink gave no port");
    }
    port_ = process_->readLine().trimmed().toInt();
    if (port_ <= 0) throw std::runtime_error("the SMTP sink gave no port");
}

SmtpSink::~SmtpSink()
{
    process_->closeWriteChannel();
    if (!process_->waitForFinished(10000)) {
        process_->kill();
        process_->waitForFinished(10000);
    }
}

std::vector<ReceivedMail> SmtpSink::Mails() const
{
    std::vector<ReceivedMail> mails;
    const QDir dir(folder_->path());
    for (int n = 1;; ++n) {
        const QString stem = dir.filePath(QString::number(n));
        const QByteArray report = ReadAll(stem + ".json");
        if (report.isEmpty()) break;
        mails.push_back(MailOf(QJsonDocument::fromJson(report).object(), ReadAll(stem + ".eml")));
    }
    return mails;
}

bool MakeTestCertificate(const std::string& folder, std::string& certFile, std::string& keyFile)
{
    certFile = folder + "/sink.crt";
    keyFile = folder + "/sink.key";
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=sink.test", "-keyout",
                   QString::fromStdString(keyFile), "-out", QString::fromStdString(certFile)});
    return openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}

} // namespace velvane::test
