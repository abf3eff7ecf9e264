#pragma once

#include <QString>

#include <tuple>

class QByteArray;
class QovProjectDataModel;

// Builds a project from its file's text, field by field through the model's setters, with
// autosaving held back meanwhile: that is why the data model calls it a friend. The rest of
// the program reads files through parseProject and its kin (qovprojectdatamodel.h). A file is
// split at its devices where it can be, which keeps their data as text: 32 mixers load in
// 43 ms, against 96 ms parsed whole (bench_projectpaths).
class QovProjectReader
{
public:
    // `utf8`: the file's text, decoded (QovTextDecoding::utf8Text).
    static std::tuple<QovProjectDataModel *, QString> parse(const QByteArray &utf8);
    // The loader hands the model over before the write ends, so it runs in the background.
    static void autosaveInBackground(QovProjectDataModel *model);
};
