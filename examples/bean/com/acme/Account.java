package com.acme;

import java.rmi.RemoteException;
import java.util.Date;
import java.util.Vector;
import javax.ejb.EJBObject;

/** Remote interface of the example account bean. */
public interface Account extends EJBObject {
    String BANK = "ACME";

    double getBalance() throws RemoteException;

    void deposit(double amount, String memo) throws RemoteException, LimitException;

    Entry[] history() throws RemoteException;

    int[] limits(int[][] table, int[] row) throws RemoteException;

    Vector recentEntries(Date since) throws RemoteException;

    Date lastUpdate() throws RemoteException;

    boolean select(Object criteria) throws RemoteException;
}
