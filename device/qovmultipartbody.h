#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

// A multipart/form-data body as the request functions send it: the caller adds parts, the
// request serialises it in one piece. Built by hand because Qt's own multipart class can only
// be read by its network access manager.
class QovMultipartBody
{
public:
    // A fresh random boundary, so that no chunk content can end a part early by accident.
    QovMultipartBody();

    void addPart(const QList<QPair<QByteArray, QByteArray>> &headers, const QByteArray &body);
    QByteArray boundary() const { return m_boundary; }
    // "multipart/form-data; boundary=..."
    QByteArray contentType() const;
    QByteArray serialized() const;

private:
    QByteArray m_boundary;
    QByteArray m_parts;
};
