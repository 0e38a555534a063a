// The drawing of one score sheet.
#include "rules/ScoreSheetPainter.h"

#include "db/Conversions.h"
#include "db/RuvoProps.h"
#include "frame/BaseText.h"
#include "records/Starter_t.h"
#include "rules/ReglementDB.h"
#include "rules/Wertungsbogen.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QLocale>
#include <QPaintEngine>
#include <QPainter>

#include <QtDebug>

namespace {

const double mmPerInch = 25.4;
const double thinPenMm = 0.2;
const double footerMm = 3.2;
const double titleMm = 8;
const double boxesMm = 43.5;
const double tableMm = 179;
const double indentMm = 1.5;

const int labelPt = 8;
const int valuePt = 10;
const int titlePt = 18;

const int groupsOnLandscape = 4;
const char* const markSigns[] = { "X", "~", "|", "O" };
const int markDeduction[] = { 20, 50, 100, 200 };   // hundredths per mark
const char* const markLabels[] = { "X x 0,2 =", "~ x 0,5 =", "| x 1,0 =", "O x 2,0 =" };
const int percentIndex = 4;

const Qt::Alignment alignLeft = Qt::AlignLeft | Qt::AlignVCenter;
const Qt::Alignment alignRight = Qt::AlignRight | Qt::AlignVCenter;
const Qt::Alignment alignCentre = Qt::AlignCenter;

QString points(int hundredths)
{
    return QString::fromLatin1(pointsText(hundredths));
}

QString decimal(double value, int decimals)
{
    return QString::number(value, 'f', decimals).replace(QLatin1Char('.'), QLatin1Char(RuvoProps::decimalSeparator()));
}

} // namespace

ScoreSheetPainter::ScoreSheetPainter(Wertungsbogen& sheet, QPainter& painter)
    : sheet(sheet), p(painter), baseFont(painter.font())
{
    QPaintDevice* device = p.device();
    dotsPerMmX = device ? device->logicalDpiX() / mmPerInch : 72 / mmPerInch;
    dotsPerMmY = device ? device->logicalDpiY() / mmPerInch : 72 / mmPerInch;
    keepPens = p.paintEngine() && p.paintEngine()->type() == QPaintEngine::Picture;
    const int width = qMax(1, mmX(thinPenMm));
    thin = QPen(Qt::black, width, Qt::SolidLine);
    thick = QPen(Qt::black, 2 * width, Qt::SolidLine);
    newRules = sheet.getReglementDB() && sheet.isNewReglement();
    const WertungList& list = sheet.getWertungen();
    for (const Wertung_t* r : list)
        records.append(r);
}

int ScoreSheetPainter::mmX(double mm) const
{
    return int(dotsPerMmX * mm);
}

int ScoreSheetPainter::mmY(double mm) const
{
    return int(dotsPerMmY * mm);
}

void ScoreSheetPainter::usePen(const QPen& pen)
{
    if (!keepPens)
        p.setPen(pen);
}

void ScoreSheetPainter::useFont(int points, bool bold, bool underline)
{
    QFont f = baseFont;
    f.setPointSize(points);
    f.setWeight(bold ? 75 : QFont::Normal);
    f.setUnderline(underline);
    p.setFont(f);
}

void ScoreSheetPainter::text(const QRect& cell, int flags, const QString& s)
{
    if (!s.isEmpty())
        p.drawText(cell, flags, s);
}

void ScoreSheetPainter::at(int x, int y, const std::function<void()>& draw)
{
    p.save();
    p.translate(x, y);
    draw();
    p.restore();
}

void ScoreSheetPainter::drawPage(const QRect& page)
{
    const Wertung_t* first = records.isEmpty() ? nullptr : records.first();
    sheet.getKopf(kopf, first);
    const int footer = mmY(footerMm);
    const QRect body(page.left(), page.top(), page.width(), page.height() - footer);
    if (page.width() < page.height())
        drawPortrait(body);
    else
        drawLandscape(body);
    drawFooter(QRect(page.left(), body.bottom() + 1, page.width(), footer));
}

void ScoreSheetPainter::drawPortrait(const QRect& body)
{
    const int w = body.width();
    const int half = w / 2;
    usePen(thick);
    p.drawRect(body);

    const int title = mmY(titleMm);
    useFont(titlePt);
    text(QRect(body.left(), body.top(), half, title), alignRight, baseText(0).toUpper() + QStringLiteral("  "));
    useFont(valuePt);
    text(QRect(body.left() + half, body.top(), w - half, title), alignLeft, QStringLiteral("   ") + baseText(3));
    p.drawLine(body.left(), body.top() + title, body.right(), body.top() + title);

    const int boxes = mmY(boxesMm);
    const int boxTop = body.top() + title;
    p.drawLine(body.left() + half, boxTop, body.left() + half, boxTop + boxes);
    p.drawLine(body.left(), boxTop + boxes, body.right(), boxTop + boxes);
    usePen(thin);
    at(body.left(), boxTop, [&] { drawSportler(half, boxes); });
    at(body.left() + half, boxTop, [&] { drawDaten(w - half, boxes); });

    const int tableTop = boxTop + boxes;
    const int table = mmY(tableMm);
    at(body.left(), tableTop, [&] { drawUebungen(w, table, false); });
    at(body.left(), tableTop + table, [&] { drawWertung(w, body.bottom() - tableTop - table); });
}

void ScoreSheetPainter::drawLandscape(const QRect& body)
{
    usePen(thin);
    const int w = body.width();
    const int half = w / 2;
    useFont(titlePt);
    const int title = p.fontMetrics().height() * 3 / 2;
    text(QRect(body.left(), body.top(), half, title), alignLeft, baseText(1).toUpper());
    useFont(valuePt);
    const QRect rightHalf(body.left() + half, body.top(), w - half, title);
    text(rightHalf, alignLeft, kopf.name);
    text(rightHalf, alignRight, kopf.aufgestellt);
    at(body.left(), body.top() + title, [&] { drawUebungen(w, body.height() - title, true); });
}

void ScoreSheetPainter::drawFooter(const QRect& strip)
{
    useFont(labelPt);
    ReglementDB* reglement = sheet.getReglementDB();
    const QString version = reglement ? reglement->version() : QStringLiteral("KEIN Reglement !!!");
    text(strip, Qt::AlignLeft | Qt::AlignTop, version);
    text(strip, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Kesa2008 V4.4.7.3"));
    text(strip, Qt::AlignRight | Qt::AlignTop, QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
}

void ScoreSheetPainter::drawSportler(int w, int h)
{
    const int row = h / 7;
    const int head = h - 6 * row;
    const int uciW = w * 29 / 100;
    const int yearW = w * 18 / 100;
    const int yearX = w - yearW;
    useFont(labelPt);
    text(QRect(0, 0, uciW, head), alignCentre, baseText(4));
    text(QRect(uciW, 0, yearX - uciW, head), alignCentre, baseText(5));
    text(QRect(yearX, 0, yearW, head), alignCentre, baseText(61));

    QList<ExpandedAthlete> athletes;
    sheet.getAthletes(athletes, 0, false);
    useFont(valuePt);
    for (int i = 0; i < 6; ++i) {
        const int y = head + i * row;
        p.drawLine(0, y, w, y);
        if (i >= athletes.size())
            continue;
        const ExpandedAthlete& a = athletes.at(i);
        text(QRect(0, y, uciW, row), alignCentre, a.uciId.text());
        text(QRect(uciW + mmX(indentMm), y, yearX - uciW - mmX(indentMm), row), alignLeft, a.displayName());
        if (a.Geburtsdatum.isValid())
            text(QRect(yearX, y, yearW, row), alignCentre, a.Geburtsdatum.toString(QStringLiteral("yyyy")));
    }
    p.drawLine(uciW, 0, uciW, h);
    p.drawLine(yearX, 0, yearX, h);
}

void ScoreSheetPainter::drawDaten(int w, int h)
{
    sheet.rewindWertungen();
    const int row = h / 7;
    const int firstRow = h - 6 * row;
    const int labelW = w * 19 / 100;
    const int pointsW = w * 18 / 100;
    const int pktW = w * 13 / 100;
    const int numberW = w / 4;
    const int numberX = w - numberW;
    const int valueX = labelW + mmX(indentMm);
    const Starter_t* starter = sheet.getStarter();

    const Competition& event = kopf.wettkampf;
    QString dateAndPlace;
    if (event.Datum.isValid() || !event.Ort.isEmpty())
        dateAndPlace = QLocale().toString(event.Datum, QLocale::ShortFormat) + QStringLiteral(" / ") + event.Ort;
    const QString category = starter->ageClass == 0 ? QString() : kopf.kategorie;

    // Label text number and value of each row; the best result has cells of its own.
    struct Row { int label; QString value; };
    QList<Row> rows = { { 6, QString() },        { 10, kopf.verband },      { 11, kopf.verein },
                        { 12, event.Name },      { 13, dateAndPlace },      { 14, event.Veranstalter } };
    if (newRules)
        rows.prepend({ 15, category });
    else
        rows.append({ 15, category });

    for (int i = 0; i < rows.size(); ++i) {
        const int y = i == 0 ? 0 : firstRow + (i - 1) * row;
        const int height = i == 0 ? firstRow : row;
        if (i > 0)
            p.drawLine(0, y, numberX, y);
        useFont(labelPt);
        text(QRect(0, y, labelW, height), alignRight, baseText(rows[i].label));
        if (rows[i].label == 6) {
            useFont(valuePt);
            text(QRect(labelW, y, pointsW, height), alignCentre, kopf.bestPunkte);
            useFont(labelPt);
            text(QRect(labelW + pointsW, y, pktW, height), alignRight, baseText(7) + QStringLiteral(" ") + baseText(8));
            useFont(valuePt);
            text(QRect(labelW + pointsW + pktW + mmX(indentMm), y, numberX - labelW - pointsW - pktW, height), alignLeft,
                 kopf.bestDatum);
            continue;
        }
        useFont(rows[i].label == 15 && newRules ? labelPt : valuePt);
        text(QRect(valueX, y, numberX - valueX, height), alignLeft, rows[i].value);
    }
    p.drawLine(labelW, 0, labelW, h);

    // The start number in a thick frame at the top right.
    const int numberH = firstRow + 2 * row;
    useFont(labelPt);
    text(QRect(numberX, 0, numberW, firstRow), alignCentre, baseText(16));
    useFont(titlePt);
    if (const int n = sheet.getNummer())
        text(QRect(numberX, firstRow, numberW, 2 * row), alignCentre, QString::number(n));
    usePen(thick);
    p.drawLine(numberX, 0, numberX, numberH);
    p.drawLine(numberX, numberH, w, numberH);
    usePen(thin);
    p.drawLine(numberX, firstRow, w, firstRow);
}

const quint8* ScoreSheetPainter::marksOf(const Wertung_t& r, int slot)
{
    if (slot < 0)
        return r.extra1;
    if (slot >= Wertung_t::exerciseCount)
        return r.extra2;
    return r.exercises[slot];
}

int ScoreSheetPainter::markTotal(const Wertung_t& r, int kind)
{
    int total = r.extra1[kind] + r.extra2[kind];
    for (const auto& marks : r.exercises)
        total += marks[kind];
    return total;
}

int ScoreSheetPainter::tacticalSum(const Wertung_t& r)
{
    int sum = 0;
    for (const TaktischWertung& t : r.tactical)
        sum += int(t.value);
    return sum;
}

int ScoreSheetPainter::tacticalOfRow(const Wertung_t& r, int row)
{
    int sum = 0;
    for (const TaktischWertung& t : r.tactical)
        if (t.exercise == row)
            sum += int(t.value);
    return sum;
}

int ScoreSheetPainter::resultOf(const Wertung_t& r) const
{
    return sheet.getStarter()->given + tacticalSum(r) - int(r.deduction1) - int(r.deduction2);
}

QString ScoreSheetPainter::groupDate(const Wertung_t& r)
{
    WertungsbogenKopf own;
    sheet.getKopf(own, &r);
    if (own.wettkampf.Name == QLatin1String("Training"))
        return QDateTime::fromSecsSinceEpoch(r.startTime).toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
    return own.wettkampf.Datum.toString(QStringLiteral("dd/MM/yy"));
}

void ScoreSheetPainter::fitText(const QRect& cell, const QString& s, Qt::Alignment align)
{
    QFont f = p.font();
    const int size = f.pointSize();
    for (int smaller = 0; smaller <= 3; ++smaller) {
        f.setPointSize(size - smaller);
        p.setFont(f);
        if (p.fontMetrics().horizontalAdvance(s) <= cell.width())
            break;
    }
    text(cell, align, s);
    f.setPointSize(size);
    p.setFont(f);
}

void ScoreSheetPainter::drawUebungen(int w, int h, bool landscape)
{
    const int exerciseRows = newRules ? 32 : 28;
    const int sumRows = landscape ? 4 : 0;
    const int rows = exerciseRows + 1 + sumRows;
    const int row = h / rows;
    const int head = row + h % rows;
    const int groups = landscape ? groupsOnLandscape : 1;

    const int nrW = w / 25;
    const int codeW = w * 7 / 100 + w / 25;
    const int taktW = newRules ? w / 20 : 0;
    const int valueW = w / 20;
    int textW, groupW;
    if (landscape) {
        groupW = w * 12 / 100;
        textW = w - nrW - codeW - taktW - valueW - groups * groupW;
    } else {
        textW = w * 57 / 100 + (newRules ? 0 : w / 20);
        groupW = w - nrW - codeW - textW - taktW - valueW;
    }
    const int codeX = nrW;
    const int textX = codeX + codeW;
    const int taktX = textX + textW;
    const int valueX = taktX + taktW;
    const int groupsX = valueX + valueW;
    const int tableBottom = head + exerciseRows * row;

    QList<Uebung> exercises;
    sheet.getBogenUebungen(exercises);
    qDebug("print, got %d Uebungen", exercises.size());

    // Heads; the two narrow ones one point smaller when a line does not fit.
    useFont(labelPt);
    int narrowPt = labelPt;
    for (int n : { 20, 21 })
        for (const QString& line : baseText(n).split(QLatin1Char('\n')))
            if (p.fontMetrics().horizontalAdvance(line) > (n == 21 ? taktW : valueW) && (n == 20 || newRules))
                narrowPt = labelPt - 1;
    text(QRect(0, 0, nrW, head), alignCentre, baseText(17));
    text(QRect(codeX, 0, codeW, head), alignCentre, baseText(18));
    text(QRect(textX, 0, textW, head), alignCentre, baseText(19));
    if (!exercises.isEmpty())
        text(QRect(textX, 0, textW, head), alignRight, kopf.pruefsumme + QStringLiteral("  "));
    useFont(narrowPt);
    if (newRules)
        text(QRect(taktX, 0, taktW, head), alignCentre, baseText(21));
    text(QRect(valueX, 0, valueW, head), alignCentre, baseText(20));

    const int pctW = groupW * 18 / 100;
    const int pktW = groupW * 30 / 100;
    const int markW = (groupW - pctW - pktW) / 4;
    for (int g = 0; g < groups; ++g) {
        const Wertung_t* r = g < records.size() ? records.at(g) : nullptr;
        const int x = groupsX + g * groupW;
        const int half = head / 2;
        const int marksX = x + pctW + pktW;
        if (landscape && r && r->ausgefahren != 0) {
            for (quint8 listed : r->ausgefahrenRows) {
                if (listed == 0)
                    break;
                p.fillRect(QRect(x, head + (listed - 1 + (newRules ? 1 : 0)) * row, groupW, row), QColor(208, 208, 208));
            }
        }
        useFont(labelPt);
        fitText(QRect(x, 0, pctW + pktW, half), landscape ? (r ? groupDate(*r) : QString()) : baseText(22), alignCentre);
        text(QRect(x, half, pctW, head - half), alignCentre, QStringLiteral("%"));
        text(QRect(x + pctW, half, pktW, head - half), alignCentre, baseText(7));
        if (r) {
            fitText(QRect(marksX, 0, groupW - pctW - pktW, half), baseText(24), alignCentre);
            for (int k = 0; k < 4; ++k)
                text(QRect(marksX + k * markW, half, markW, head - half), alignCentre, QString::fromLatin1(markSigns[k]));
        } else {
            text(QRect(marksX, 0, groupW - pctW - pktW, head), alignCentre, baseText(23));
        }
        p.drawLine(x, 0, x, tableBottom);
        p.drawLine(x + pctW, half, x + pctW, tableBottom);
        p.drawLine(marksX, half, marksX, tableBottom);
        if (r)
            for (int k = 1; k < 4; ++k)
                p.drawLine(marksX + k * markW, half, marksX + k * markW, tableBottom);
        p.drawLine(x, half, x + groupW, half);
    }

    const Wertung_t* first = records.isEmpty() ? nullptr : records.first();
    for (int i = 0; i < exerciseRows; ++i) {
        const int slot = newRules ? i - 1 : i;
        const int y = head + i * row;
        p.drawLine(0, y, w, y);
        const bool isExercise = slot >= 0 && slot < Wertung_t::exerciseCount;
        const bool valid = isExercise && slot < exercises.size() && exercises.at(slot).nr.isValid();
        qDebug("i=%d idx=%d valid=%d", i, slot, int(valid));
        if (isExercise) {
            useFont(valuePt, true);
            text(QRect(0, y, nrW, row), alignCentre, QString::asprintf(" %d ", slot + 1));
        }
        double value = 0;
        if (valid) {
            const Uebung& u = exercises.at(slot);
            useFont(valuePt);
            text(QRect(codeX, y, codeW, row), alignCentre, u.nr.text());
            fitText(QRect(textX + mmX(indentMm), y, textW - mmX(indentMm), row), u.text, alignLeft);
            value = u.ziffer;
            if (value != 0)
                text(QRect(valueX, y, valueW, row), alignCentre, decimal(value, 1));
        }
        useFont(valuePt);
        if (newRules && first && isExercise) {
            if (const int takt = tacticalOfRow(*first, slot + 1))
                text(QRect(taktX, y, taktW, row), alignCentre, points(takt));
        }
        for (int g = 0; g < groups && g < records.size(); ++g) {
            const Wertung_t& r = *records.at(g);
            const quint8* marks = marksOf(r, slot);
            const int x = groupsX + g * groupW;
            if (const int pct = marks[percentIndex]) {
                const double base = value + (newRules && isExercise ? tacticalOfRow(r, slot + 1) / 100.0 : 0);
                text(QRect(x, y, pctW, row), alignCentre, QString::number(pct));
                text(QRect(x + pctW, y, pktW, row), alignCentre, decimal(pct * base / 100, 2));
            }
            for (int k = 0; k < 4; ++k)
                if (marks[k])
                    text(QRect(x + pctW + pktW + k * markW, y, markW, row), alignCentre, QString::number(marks[k]));
        }
    }
    for (int x : { nrW, textX, taktX, valueX })
        p.drawLine(x, 0, x, tableBottom);
    usePen(thick);
    p.drawLine(0, tableBottom, w, tableBottom);
    usePen(thin);
    if (!landscape)
        return;

    // Sums under the table, one column group per judge.
    useFont(labelPt);
    for (int k = 0; k < 3; ++k)
        text(QRect(0, tableBottom + k * row, groupsX - mmX(indentMm), row), alignRight, baseText(37 + k));
    useFont(valuePt);
    for (int g = 0; g < groups && g < records.size(); ++g) {
        const Wertung_t& r = *records.at(g);
        const int x = groupsX + g * groupW;
        const QRect cell(x + mmX(indentMm), tableBottom, groupW - 2 * mmX(indentMm), row);
        for (int k = 0; k < 4; ++k)
            if (const int total = markTotal(r, k))
                text(QRect(x + pctW + pktW + k * markW, tableBottom, markW, row), alignCentre, QString::number(total));
        text(cell.translated(0, row), alignRight, points(int(r.deduction2)));
        if (const int sum = tacticalSum(r))
            text(cell.translated(0, 2 * row), Qt::AlignHCenter | Qt::AlignVCenter, points(sum));
        text(cell.translated(0, 2 * row), alignLeft, QString::fromLatin1(minutesText(r.ausgefahren)));
        text(cell.translated(0, 2 * row), alignRight, points(int(r.deduction1)));
        text(cell.translated(0, 3 * row), alignRight, points(resultOf(r)));
        p.drawLine(x, tableBottom, x, tableBottom + sumRows * row);
    }
    for (int k = 1; k <= sumRows; ++k)
        p.drawLine(groupsX, tableBottom + k * row, w, tableBottom + k * row);
}

void ScoreSheetPainter::drawWertung(int w, int h)
{
    const int row = h / 8;
    const int signW = w * 34 / 100;
    const int totalsW = w * 44 / 100;
    const int deductX = signW + totalsW;
    const int deductW = w - deductX;
    const Wertung_t* r = records.isEmpty() ? nullptr : records.first();
    const auto cell = [&](int x, int i, int width) { return QRect(x, i * row, width, row); };
    const int pad = mmX(indentMm);

    // Signatures.
    useFont(labelPt, false, true);
    text(cell(0, 0, signW), alignCentre, baseText(25));
    text(cell(0, 2, signW), alignCentre, baseText(26));
    p.drawLine(signW * 5 / 100, 2 * row, signW * 95 / 100, 2 * row);
    usePen(thick);
    p.drawLine(0, 3 * row, signW, 3 * row);
    usePen(thin);
    const char* judges[3] = { r ? r->announcer : nullptr, r ? r->scribe : nullptr, r ? r->chief : nullptr };
    for (int k = 0; k < 3; ++k) {
        const QRect c = cell(0, 3 + k, signW);
        useFont(labelPt);
        text(c, Qt::AlignLeft | Qt::AlignBottom, QStringLiteral(" ") + baseText(27 + k));
        p.drawLine(0, c.bottom(), signW, c.bottom());
        if (judges[k]) {
            QString name;
            fromCString(name, judges[k], Wertung_t::nameSize);
            useFont(valuePt);
            text(QRect(signW * 30 / 100, c.top(), signW * 70 / 100, row), alignLeft, name);
        }
    }
    p.drawLine(signW, 0, signW, h);
    p.drawLine(deductX, 0, deductX, h);

    // Totals: label and value of each row.
    const Starter_t* starter = sheet.getStarter();
    const int base = ReglementDB::getGrundpunktzahl(sheet.getReglementDB()) * 100;
    const int given = starter->given;
    const auto total = [&](int i, const QString& label, bool bold, const QString& value) {
        useFont(labelPt, bold);
        text(cell(signW + pad, i, totalsW / 2), alignLeft, label);
        useFont(valuePt, bold);
        text(cell(signW, i, totalsW - pad), alignRight, value);
        p.drawLine(signW, (i + 1) * row, deductX, (i + 1) * row);
    };
    QString difficulty = given > 0 ? decimal((given - base) / 100.0, 2) : QString();
    total(0, baseText(30), true, difficulty);
    const int tactical = r ? tacticalSum(*r) : 0;
    if (newRules) {
        total(1, baseText(31), false, r ? points(tactical) : QString());
        total(2, baseText(32), true, r ? points(given + tactical) : QString());
    } else {
        // The base score this sheet actually adds: none without a catalogue.
        total(1, QStringLiteral(" + Grundpunktzahl:"), false, points(base));
        total(2, baseText(32), true, kopf.aufgestellt);
    }
    total(3, baseText(40), false, r ? QStringLiteral("  - ") + points(int(r->totalDeduction())) : QString());
    const int result = r ? given + (newRules ? tactical : 0) - int(r->totalDeduction()) : 0;
    total(4, baseText(33), true, r ? points(result) : QString());

    // Juries: the second and third record of the same start.
    int sum = r ? resultOf(*r) : 0;
    int juries = r ? 1 : 0;
    for (int j = 2; j <= 3; ++j) {
        const Wertung_t* other = r && r->judge == 1 && records.size() >= j ? records.at(j - 1) : nullptr;
        const bool same = other && other->judge == j && other->competitionId == r->competitionId
            && other->startNumber == r->startNumber;
        total(3 + j, baseText(32 + j), false, same ? points(resultOf(*other)) : QString());
        if (same) {
            sum += resultOf(*other);
            ++juries;
        }
    }
    total(7, baseText(36), false, juries > 1 ? points(sum) : QString());
    useFont(labelPt);
    text(cell(deductX + pad, 7, deductW / 2), alignLeft, baseText(41));
    if (juries > 1) {
        useFont(valuePt, true);
        text(cell(deductX + pad, 7, deductW - 2 * pad), alignRight,
             points((sum + 1) / juries) + QStringLiteral(" ") + baseText(42));
    }

    // Marks and deductions.
    for (int k = 0; k < 4; ++k) {
        useFont(labelPt);
        text(cell(deductX + pad, k, deductW / 2), alignLeft, QString::fromLatin1(markLabels[k]));
        if (r) {
            const int count = markTotal(*r, k);
            useFont(valuePt);
            text(cell(deductX + pad, k, deductW / 2), alignRight, QString::number(count));
            text(cell(deductX + deductW / 2, k, deductW / 2 - pad), alignRight, points(count * markDeduction[k]));
        }
        p.drawLine(deductX, (k + 1) * row, w, (k + 1) * row);
    }
    for (int k = 0; k < 2; ++k) {
        useFont(labelPt);
        text(cell(deductX + pad, 5 + k, deductW - 2 * pad), alignLeft, baseText(37 + k));
        if (r) {
            useFont(valuePt);
            text(cell(deductX + pad, 5 + k, deductW - 2 * pad), alignRight,
                 points(int(k == 0 ? r->deduction1 : r->deduction2)));
        }
    }
}
