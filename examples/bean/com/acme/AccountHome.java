package com.acme;

import java.rmi.RemoteException;
import javax.ejb.CreateException;
import javax.ejb.EJBHome;
import javax.ejb.FinderException;

/** Home interface of the example account bean. */
public interface AccountHome extends EJBHome {
    Account create(String owner) throws RemoteException, CreateException;

    Account findByPrimaryKey(String number) throws RemoteException, FinderException;
}
