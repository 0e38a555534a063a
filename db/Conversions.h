// The shared conversion helpers: C text buffers, SQL text cleaning, Base64 blobs,
// dates as seconds of noon, sex / discipline / age-class codes, points and minutes.
#pragma once

#include "db/text/CString.h"

#include <QByteArray>
#include <QDate>
#include <QString>

int toInt(const QString& text);
// toInt's reading with 64 bits, for cells that hold seconds.
qint64 toInt64(const QString& text);

QString cleanSqlText(const QString& text);
void cleanSqlText(char* text);
QString cleanSqlText(const char* text);

QString compressToBase64(const QByteArray& data);
// Empty for a text that is no such blob or that would unpack beyond 16 MB.
QByteArray uncompressFromBase64(const QString& text);

qint64 dateToSeconds(const QDate& date);
QDate secondsToDate(qint64 seconds);
QDate parseDate(const char* text);

char sexToChar(int sex);
int sexFromText(const QString& text);
char akToChar(int ak);
char disziToChar(int diszi);
int akFromString(const QString& text);
int disziFromString(const QString& text);
int disziFromExerciseNumber(const char* code);
int packCategory(int diszi, int sex, int ak);
bool unpackCategory(int* diszi, int* sex, int* ak, int category);

const char* pointsText(int hundredths);
int parsePoints(const QString& text);
const char* minutesText(int minutes);
