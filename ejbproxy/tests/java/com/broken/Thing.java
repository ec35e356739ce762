package com.broken;

public interface Thing extends javax.ejb.EJBObject {
    java.util.Date when() throws java.rmi.RemoteException;

    Gone gone() throws java.rmi.RemoteException;
}
