#include "device/qovmultipartbody.h"

#include <QRandomGenerator>

QovMultipartBody::QovMultipartBody()
{
    quint32 random[4];
    QRandomGenerator::global()->fillRange(random);
    m_boundary = "boundary_.oOo._" +
                 QByteArray(reinterpret_cast<const char *>(random), sizeof random)
                     .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

void QovMultipartBody::addPart(const QList<QPair<QByteArray, QByteArray>> &headers,
                               const QByteArray &body)
{
    m_parts += "--" + m_boundary + "\r\n";
    for (const auto &header : headers) {
        m_parts += header.first + ": " + header.second + "\r\n";
    }
    m_parts += "\r\n" + body + "\r\n";
}

QByteArray QovMultipartBody::contentType() const
{
    return "multipart/form-data; boundary=" + m_boundary;
}

QByteArray QovMultipartBody::serialized() const
{
    return m_parts + "--" + m_boundary + "--\r\n";
}
