package com.broken;

public interface ThingHome extends javax.ejb.EJBHome {
    Thing create() throws java.rmi.RemoteException, javax.ejb.CreateException;
}
