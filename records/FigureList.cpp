// The exercise list: storing codes of one discipline and the list's checksum.
#include "records/FigureList.h"

#include <QDebug>

namespace {

const Figure nullFigure;

const quint32 crcPolynomial = 0xEDB88320u;  // CRC-32, reflected
const int checksumBits = 16;

// The value a code contributes: its variant letter and the last three digits
// of its number, scaled once more for a six-character code.
quint32 checksumValue(const Figure& code)
{
    const QString& text = code.text();
    const ushort letter = text.at(4).unicode();
    const int c = (letter > 0xFF ? 0 : int(qint8(quint8(letter)))) - 'a';
    quint32 v = quint32(c + (code.number() % 1000) * 25);
    if (text.size() == 6)
        v *= 25;
    return v;
}

} // namespace

FigureList::FigureList() : codes(Positions)
{
}

void FigureList::clear()
{
    codes.fill(Figure(), Positions);
    disci = 0;
}

Figure FigureList::at(int i) const
{
    if (i < 0 || i >= codes.size()) {
        qDebug() << "return Null figure";
        return nullFigure;
    }
    return codes.at(i);
}

bool FigureList::set(int i, const Figure& code)
{
    if (i < 0 || i >= codes.size())
        return false;
    if (disci != 0 && disci != code.disci()) {
        codes[i] = Figure();
        updateDisci();
        return false;
    }
    codes[i] = code;
    updateDisci();
    return true;
}

bool FigureList::setFigure(int i, const QString& text)
{
    return set(i, Figure(text));
}

void FigureList::updateDisci()
{
    disci = 0;
    for (const Figure& code : qAsConst(codes)) {
        disci = code.disci();
        if (disci != 0)
            return;
    }
}

quint32 FigureList::checksum() const
{
    quint32 crc = 0;
    for (const Figure& code : codes) {
        if (!code.isValid())
            continue;
        quint32 v = checksumValue(code);
        for (int bit = 0; bit < checksumBits; ++bit) {
            crc = ((crc ^ v) & 1u) ? (crc >> 1) ^ crcPolynomial : crc >> 1;
            v >>= 1;
        }
    }
    return crc;
}

bool FigureList::operator==(const FigureList& other) const
{
    return disci == other.disci && checksum() == other.checksum();
}

bool FigureList::sameCodes(const FigureList& other) const
{
    return codes == other.codes;
}
