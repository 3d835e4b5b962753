#pragma once
#include "frames.h"
#include "issuedcards.h"

#include <QStringList>

// The add-card entry of an issued card, its absent windows sent as none.
frames::CardEntry cardEntry(const cardstore::IssuedCard& card);

// A date window with a year the add-card frame can't carry (it sends two
// digits): such a card is never sent as another year.
bool datesBeyondController(const cardstore::IssuedCard& card);

// A card number that no add or delete frame can carry is refused with the
// card-number message before anything is sent. Numbers stored by older
// files (a letter, full-width digits, a blank) reach the operations from
// the lists, past the boxes' rules.
bool cardNumberRefused(const QString& card);

// Why a card can't go into a controller's list (its number, its physical
// number, its pass modes or windows), or empty text when it can.
QString unsendable(const cardstore::IssuedCard& card);

// Asks whether the operation goes on without the cards listed, each as
// "card：reasons"; true when it does, or when none is listed.
bool goOnWithout(const QStringList& unsent, const QString& operation);
