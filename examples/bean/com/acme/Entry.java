package com.acme;

import java.io.Serializable;
import java.util.Date;

/** One booking of an account. */
public class Entry implements Serializable {
    public double amount;
    public String memo;
    public Date booked;
    public String[] tags;

    public Entry() {}

    public Entry(double amount, String memo) {
        this.amount = amount;
        this.memo = memo;
    }
}
