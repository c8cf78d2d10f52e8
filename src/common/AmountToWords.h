#pragma once

#include <QString>

// An amount of money in Polish words: the złote in words and the form of "złoty" the
// number takes, then the grosze the same way ("dwa złote pięćdziesiąt groszy").
// Covers 0 to 999 999,99; the grosze are rounded, an exact half to the even neighbour.
// Raises EConvertError for an amount outside that range (a sign or millions have no
// words), so that no wrong amount is ever written out.
QString AmountToWords(long double value);

// The parts it is made of; in the words of a number every word is followed by one blank.
void SplitDigits(int n, int& unitsDigit, int& tensDigit, int& hundredsDigit, int& rest);
QString HundredsToWords(int n);
QString NumberToWords(int n);
QString ZlotyWord(int n);
QString GroszWord(int n);
